// tessarin-cli verify: inflates every entry in memory and checks it against its
// recorded sizes, and checks the layout a replacement relies on. Each problem is
// listed on stdout; the exit code is 1 when there is any.
#include <zlib.h>

#include <iostream>
#include <new>
#include <vector>

#include "cli/Console.h"
#include "cli/ConsoleWindow.h"
#include "cli/Verbs.h"
#include "core/platform/Cp936.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "core/ArcWriter.h"

namespace tessarin::cli {

namespace {

// No zlib stream inflates to more than about 1032 times its size; a recorded
// size beyond that cannot be right and is not worth a buffer.
constexpr std::int64_t kMaxInflateRatio = 1040;
constexpr std::int64_t kRatioSlack = 1024;

std::string CodecProblem(int result) {
    switch (result) {
        case Z_BUF_ERROR: return "解压后的数据多于记录的原始大小（缓冲过小，请检查。）";
        case Z_MEM_ERROR: return "内存检查错误。";
        case Z_DATA_ERROR: return "存储的数据不是完整的 zlib 数据流（数组取数据不正确。）";
        default: return "解压失败，zlib 结果 " + std::to_string(result);
    }
}

// The problem with one entry's data, or "" when it inflates to exactly its
// recorded original size. Data outside the file is left to the layout check.
std::string EntryProblem(BinaryFile& archive, std::int64_t length, const ARCFileCls& entry) {
    if (entry.ArcFileZipSize < 0 || entry.ArcFileOFSET < 0 ||
        static_cast<std::int64_t>(entry.ArcFileOFSET) + entry.ArcFileZipSize > length)
        return {};
    if (entry.ArcFileOrgSize < 0) return "记录的原始大小为负数（" + std::to_string(entry.ArcFileOrgSize) + "）";
    if (entry.ArcFileOrgSize > static_cast<std::int64_t>(entry.ArcFileZipSize) * kMaxInflateRatio + kRatioSlack)
        return "记录的原始大小 " + std::to_string(entry.ArcFileOrgSize) + " 字节不可能由 " +
               std::to_string(entry.ArcFileZipSize) + " 字节的存储数据解压得到";
    try {
        std::vector<std::uint8_t> stored(static_cast<std::size_t>(entry.ArcFileZipSize));
        archive.Seek(entry.ArcFileOFSET);
        archive.ReadExact(stored.data(), stored.size());
        std::vector<std::uint8_t> plain;
        const int result = InflateToBuffer(stored.data(), entry.ArcFileZipSize, entry.ArcFileOrgSize, plain);
        if (result != Z_OK) return CodecProblem(result);
        if (plain.size() != static_cast<std::size_t>(entry.ArcFileOrgSize))
            return "解压后只有 " + std::to_string(plain.size()) + " 字节，少于记录的原始大小 " +
                   std::to_string(entry.ArcFileOrgSize) + " 字节";
    } catch (const VbError& error) {
        return "读取存储的数据时出错：" + error.description() + " (" + std::to_string(error.number()) + ")";
    } catch (const std::bad_alloc&) {
        return CodecProblem(Z_MEM_ERROR);
    }
    return {};
}

}  // namespace

int RunVerify(const VerifyOptions& options) {
    ConsoleWindow window;
    Program program(window);
    LoadExtTypes(program.ExtTypes);
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;

    std::vector<std::string> problems;
    const ArcEntryList& entries = program.arc.ArcEntries;
    std::int64_t length = 0;
    try {
        BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
        length = archive.Length();
        for (const ARCFileCls& entry : entries) {
            std::string problem = EntryProblem(archive, length, entry);
            if (!problem.empty()) problems.push_back(problem + "，KEY：" + entry.ArcFileKey);
        }
    } catch (const VbError& error) {
        problems.push_back("无法读取档案：" + error.description() + " (" + std::to_string(error.number()) + ")");
    }
    for (const LayoutProblem& problem : FindLayoutProblems(entries, length)) problems.push_back(problem.text);

    for (const std::string& problem : problems) std::cout << problem << '\n';
    if (problems.empty())
        std::cout << "共 " << entries.size() << " 个条目，未发现问题。" << std::endl;
    else
        std::cout << "共 " << entries.size() << " 个条目，发现 " << problems.size() << " 处问题。" << std::endl;
    return problems.empty() ? 0 : 1;
}

}  // namespace tessarin::cli
