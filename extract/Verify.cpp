#include "extract/Verify.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "core/ArcWriter.h"
#include "core/Messages.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"
#include "extract/Pipeline.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

constexpr const char* kVerifyTitle = "检查档案";

// No zlib stream inflates to more than about 1032 times its size; a recorded
// size beyond that cannot be right and is not worth inflating.
constexpr std::int64_t kMaxInflateRatio = 1040;
constexpr std::int64_t kRatioSlack = 1024;

std::string CodecProblem(int result) {
    switch (result) {
        case Z_BUF_ERROR:
        case Z_DATA_ERROR: return InflateProblemText(result) + "（" + InflateFailureText(result) + "）";
        default: return InflateProblemText(result);
    }
}

std::string ReadProblem(const VbError& error) {
    return "读取存储的数据时出错：" + error.description() + " (" + std::to_string(error.number()) + ")";
}

// A problem found without inflating, or "" when the data is to be inflated.
// Data outside the file is left to the layout check (and not inflated).
std::string ProblemBeforeInflating(std::int64_t length, const ARCFileCls& entry, bool& skip) {
    skip = true;
    if (CheckDataInArchive(length, entry.ArcFileOFSET, entry.ArcFileZipSize)) return {};
    if (entry.ArcFileOrgSize < 0) return "记录的原始大小为负数（" + std::to_string(entry.ArcFileOrgSize) + "）";
    if (entry.ArcFileOrgSize > static_cast<std::int64_t>(entry.ArcFileZipSize) * kMaxInflateRatio + kRatioSlack)
        return "记录的原始大小 " + std::to_string(entry.ArcFileOrgSize) + " 字节不可能由 " +
               std::to_string(entry.ArcFileZipSize) + " 字节的存储数据解压得到";
    skip = false;
    return {};
}


// Counts what it is given and keeps nothing.
class DiscardSink : public ByteSink {
public:
    void Put(const std::uint8_t*, std::size_t) override {}
};

}  // namespace

std::string InflateProblem(const InflateResult& result, std::int32_t size) {
    if (!result.ok() && result.truncated) return "存储的数据不完整：zlib 数据流在结束（含 Adler-32 校验）之前就已截断";
    if (!result.ok()) return CodecProblem(result.code);
    if (result.produced != size)
        return "解压后只有 " + std::to_string(result.produced) + " 字节，少于记录的原始大小 " + std::to_string(size) +
               " 字节";
    return {};
}

std::string InflateProblemText(int code) {
    switch (code) {
        case Z_BUF_ERROR: return "解压后的数据多于记录的原始大小";
        case Z_MEM_ERROR: return "内存检查错误。";
        case Z_DATA_ERROR: return "存储的数据不是完整的 zlib 数据流";
        default: return "解压失败，zlib 结果 " + std::to_string(code);
    }
}

std::string ArchiveProblem::Text() const { return key.empty() ? reason : reason + "，KEY：" + key; }

ArchiveCheck CheckArchive(BinaryFile& archive, const ArcEntryList& entries,
                          const std::function<bool(std::size_t)>& onEntry, const std::function<void()>& idle) {
    ArchiveCheck check;
    std::int64_t length = 0;
    try {
        length = archive.Length();
    } catch (const VbError& error) {
        check.problems.push_back({"", "无法读取档案：" + error.description() + " (" + std::to_string(error.number()) + ")"});
        return check;
    }
    std::vector<std::string> early(entries.size());
    {
        EntryPipeline pipeline(archive, length, entries.size(), [&](EntryJob& job) {
            const ARCFileCls& entry = entries[job.index];
            bool skip = false;
            early[job.index] = ProblemBeforeInflating(length, entry, skip);
            job.skip = skip;
            job.offset = entry.ArcFileOFSET;
            job.storedSize = entry.ArcFileZipSize;
            job.size = entry.ArcFileOrgSize;
        });
        while (EntryJob* job = pipeline.Next(idle)) {
            const ARCFileCls& entry = entries[job->index];
            std::string problem = std::move(early[job->index]);
            if (!job->skip) {
                if (job->readError) {
                    problem = ReadProblem(*job->readError);
                } else if (job->streamed) {
                    try {
                        archive.Seek(job->offset);
                        ArchiveSource source(archive);
                        DiscardSink sink;
                        problem = InflateProblem(InflateStream(source, job->storedSize, job->size, sink), job->size);
                    } catch (const ArchiveReadFailure& failure) {
                        problem = ReadProblem(failure.error);
                    } catch (const VbError& error) {
                        problem = ReadProblem(error);
                    }
                } else {
                    problem = InflateProblem(job->result, job->size);
                }
            }
            if (!problem.empty()) check.problems.push_back({entry.ArcFileKey, problem});
            ++check.checked;
            if (onEntry && !onEntry(check.checked) && check.checked < entries.size()) {
                check.stopped = true;
                break;
            }
        }
    }
    for (const LayoutProblem& problem : FindLayoutProblems(entries, length)) check.problems.push_back({"", problem.text});
    return check;
}

std::vector<std::uint64_t> CheckedBytes(const ArcEntryList& entries) {
    std::vector<std::uint64_t> bytes;
    bytes.reserve(entries.size());
    for (const ARCFileCls& entry : entries)
        bytes.push_back(static_cast<std::uint64_t>(std::max(entry.ArcFileZipSize, 0)) +
                        static_cast<std::uint64_t>(std::max(entry.ArcFileOrgSize, 0)));
    return bytes;
}

ArchiveCheck CheckOpenArchive(Program& program) {
    const ArcEntryList& entries = program.arc.ArcEntries;
    LongWork work(program, "正在检查", CheckedBytes(entries));
    return CheckArchive(
        program.files.Get(program.arc.ArcFileNum), entries,
        [&](std::size_t checked) {
            work.Advance(checked);
            return !work.Poll();
        },
        [&] { program.ui.DoEvents(); });
}

bool VerifyArchive(Program& program) {
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法检查。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    const std::size_t count = program.arc.ArcEntries.size();
    const ArchiveCheck check = CheckOpenArchive(program);
    if (program.ending) return false;

    std::string summary = check.stopped ? "检查已停止：已检查 " + std::to_string(check.checked) + " / " +
                                              std::to_string(count) + " 个条目，"
                                        : "共 " + std::to_string(count) + " 个条目，";
    if (check.problems.empty()) {
        program.ui.MsgBox(summary + "未发现问题。", MsgIcon::Information, kVerifyTitle);
        return !check.stopped;
    }
    std::vector<std::string> lines;
    for (const ArchiveProblem& problem : check.problems) lines.push_back(problem.Text());
    program.ui.ShowReport(kVerifyTitle, summary + "发现 " + std::to_string(check.problems.size()) + " 处问题。", lines);
    return false;
}

}  // namespace tessarin
