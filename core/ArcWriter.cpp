#include "core/ArcWriter.h"

#include <algorithm>
#include <limits>

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {

constexpr int kRecordNumbersSize = 16;  // type code, stored size, original size field, offset

void PutLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string KeyText(const ARCFileCls& entry) { return "KEY：" + entry.ArcFileKey; }

}  // namespace

std::optional<std::string> NameFieldBytes(const std::string& fullName) {
    std::string field = TextToCp936(fullName);
    std::size_t chars = 0;
    std::size_t i = 0;
    while (i < field.size()) {
        i += IsCp936LeadByte(static_cast<unsigned char>(field[i])) ? 2 : 1;
        ++chars;
    }
    if (chars > static_cast<std::size_t>(kNameChars)) return std::nullopt;
    // A lead byte ending the name takes the next byte as its trail when read back:
    // give it a zero byte, so the padding still ends where the reader stops.
    if (i > field.size()) field.push_back('\0');
    field.append(static_cast<std::size_t>(kNameChars) - chars, '\0');
    return field;
}

std::int64_t WrittenDirectoryEnd(const ArcEntryList& entries) {
    return WrittenDirectoryEnd(entries.size(), [&](std::size_t i) -> const ARCFileCls& { return entries[i]; });
}

std::int64_t WrittenDirectoryEnd(std::size_t count, const RecordAt& recordAt) {
    std::int64_t end = kArcHeaderSize;
    for (std::size_t i = 0; i < count; ++i) {
        const auto field = NameFieldBytes(FullNameOfKey(recordAt(i).ArcFileKey));
        end += static_cast<std::int64_t>(field ? field->size() : kNameChars) + kRecordNumbersSize;
    }
    return end;
}

std::vector<LayoutProblem> FindLayoutProblems(const ArcEntryList& entries, std::int64_t fileLength) {
    std::vector<LayoutProblem> problems;
    auto add = [&](int index, std::string text) { problems.push_back({index, std::move(text)}); };

    if (entries.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()))
        add(-1, "条目数超过 32767，目录无法写回。");

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ARCFileCls& e = entries[i];
        const int index = static_cast<int>(i);
        if (!NameFieldBytes(FullNameOfKey(e.ArcFileKey)))
            add(index, "条目名称超过 64 个字符，无法写回，" + KeyText(e));
        if (!ParseTypeCodeHex(e.ArcFileTypeHex))
            add(index, "类型代码“" + e.ArcFileTypeHex + "”无法写回，" + KeyText(e));
        if (e.ArcFileZipSize < 0 || e.ArcFileOFSET < 0) {
            add(index, "条目的数据偏移或存储大小为负数，" + KeyText(e));
            continue;
        }
        const std::int64_t end = static_cast<std::int64_t>(e.ArcFileOFSET) + e.ArcFileZipSize;
        if (end > fileLength)
            add(index, "条目数据超出文件末尾（结束于 " + std::to_string(end) + "，文件长 " +
                           std::to_string(fileLength) + " 字节），" + KeyText(e));
        if (i == 0) {
            const std::int64_t directoryEnd = WrittenDirectoryEnd(entries);
            if (e.ArcFileOFSET < directoryEnd)
                add(index, "第一个条目的数据偏移 " + std::to_string(e.ArcFileOFSET) + " 位于目录之内（目录结束于 " +
                               std::to_string(directoryEnd) + "），" + KeyText(e));
        } else {
            const ARCFileCls& prev = entries[i - 1];
            if (prev.ArcFileZipSize >= 0 && prev.ArcFileOFSET >= 0 &&
                e.ArcFileOFSET < static_cast<std::int64_t>(prev.ArcFileOFSET) + prev.ArcFileZipSize)
                add(index, "条目数据不按目录顺序排列或与前一条目的数据重叠，" + KeyText(e));
        }
    }
    return problems;
}

namespace {

// The header, the directory with each record's numbers as numberOf(i) gives
// them, and zero bytes up to the first record's data.
template <typename NumberOf>
void WriteHeadWith(BinaryFile& out, std::size_t count, const RecordAt& recordAt, const NumberOf& numberOf) {
    std::string head;
    head.reserve(static_cast<std::size_t>(WrittenDirectoryEnd(count, recordAt)));
    PutLE(head, kArcMagic, 4);
    PutLE(head, static_cast<std::uint16_t>(kWrittenVersion), 2);
    PutLE(head, static_cast<std::uint16_t>(count), 2);
    for (std::size_t i = 0; i < count; ++i) {
        const ARCFileCls& entry = recordAt(i);
        const WrittenRecord numbers = numberOf(i);
        const auto field = NameFieldBytes(FullNameOfKey(entry.ArcFileKey));
        const auto code = ParseTypeCodeHex(entry.ArcFileTypeHex);
        if (!field || !code) throw VbError(vberr::Overflow);  // FindLayoutProblems rules these out
        head += *field;
        PutLE(head, static_cast<std::uint32_t>(*code), 4);
        PutLE(head, static_cast<std::uint32_t>(numbers.ArcFileZipSize), 4);
        // Unsigned arithmetic gives back exactly the field that was read, negative sizes included.
        PutLE(head, static_cast<std::uint32_t>(numbers.ArcFileOrgSize) + static_cast<std::uint32_t>(kOrgSizeBias), 4);
        PutLE(head, static_cast<std::uint32_t>(numbers.ArcFileOFSET), 4);
    }
    out.Seek(0);
    out.Write(head.data(), head.size());

    if (count == 0) return;
    std::int64_t gap = static_cast<std::int64_t>(numberOf(0).ArcFileOFSET) - static_cast<std::int64_t>(head.size());
    if (gap <= 0) return;
    const std::vector<char> zeros(static_cast<std::size_t>(std::min<std::int64_t>(gap, kCopyBlockSize)), '\0');
    while (gap > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(gap, static_cast<std::int64_t>(zeros.size())));
        out.Write(zeros.data(), n);
        gap -= static_cast<std::int64_t>(n);
    }
}

}  // namespace

void WriteArcHead(BinaryFile& out, const ArcEntryList& entries) {
    WriteHeadWith(out, entries.size(), [&](std::size_t i) -> const ARCFileCls& { return entries[i]; },
                  [&](std::size_t i) {
                      return WrittenRecord{entries[i].ArcFileZipSize, entries[i].ArcFileOrgSize, entries[i].ArcFileOFSET};
                  });
}

void WriteArcHead(BinaryFile& out, const RecordAt& recordAt, const std::vector<WrittenRecord>& numbers) {
    WriteHeadWith(out, numbers.size(), recordAt, [&](std::size_t i) { return numbers[i]; });
}

namespace {

constexpr std::int64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kDropped = static_cast<std::size_t>(-1);

// The records of the rewritten archive: the old ones kept, in their order and
// with their new names, then the appended ones. writtenIndex gets each old
// record's place among them (kDropped for a dropped one).
ArcEntryList WrittenRecords(const ArcEntryList& entries, const RewritePlan& plan, std::vector<std::size_t>& writtenIndex) {
    writtenIndex.assign(entries.size(), 0);
    for (const std::size_t d : plan.dropped) writtenIndex.at(d) = kDropped;
    ArcEntryList written;
    written.reserve(entries.size() + plan.appended.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (writtenIndex[i] == kDropped) continue;
        writtenIndex[i] = written.size();
        written.push_back(entries[i]);
    }
    for (const auto& [index, record] : plan.renamed) {
        if (writtenIndex.at(index) == kDropped) throw VbError(vberr::InternalError);  // renamed and dropped
        ARCFileCls& w = written[writtenIndex[index]];
        w.ArcFileName = record.ArcFileName;
        w.ArcFilePath = record.ArcFilePath;
        w.ArcFileType = record.ArcFileType;
        w.ArcFileTypeHex = record.ArcFileTypeHex;
        w.ArcFileKey = record.ArcFileKey;
    }
    for (const AppendedEntry& a : plan.appended) written.push_back(a.record);
    return written;
}

// Writes the data of a rewrite in order: old bytes that go over unchanged are
// gathered into runs, each copied in one go; new data goes where a replacement
// or an appended entry stands. Progress is told as the old data is passed.
class DataWriter {
public:
    DataWriter(BinaryFile* old, const ArcEntryList& entries, BinaryFile& out, const RewriteProgress& progress)
        : old_(old), entries_(entries), out_(out), progress_(progress),
          dataStart_(entries.empty() ? 0 : entries.front().ArcFileOFSET) {}

    // Tells the progress up to oldPosition in the old file. Old entries lie in
    // directory order: those whose data ends by a position are done.
    void Tell(std::int64_t oldPosition) {
        if (!progress_) return;
        while (entriesDone_ < entries_.size() &&
               static_cast<std::int64_t>(entries_[entriesDone_].ArcFileOFSET) + entries_[entriesDone_].ArcFileZipSize <=
                   oldPosition)
            ++entriesDone_;
        oldPassed_ = std::max(oldPassed_, oldPosition - dataStart_);
        progress_(entriesDone_ + appendedDone_, oldPassed_ + newWritten_);
    }

    // Copies the pending run: in steps when progress is told, in one go otherwise.
    void Flush() {
        while (runLength_ > 0) {
            const std::int64_t n = progress_ ? std::min(runLength_, kProgressStep) : runLength_;
            CopyBetweenFiles(*old_, runFrom_, n, out_);
            runFrom_ += n;
            runLength_ -= n;
            Tell(runFrom_);
        }
    }

    // Old bytes that go over unchanged; they join the pending run when they follow it.
    void Carry(std::int64_t from, std::int64_t length) {
        if (length <= 0) return;
        if (runLength_ > 0 && runFrom_ + runLength_ == from) {
            runLength_ += length;
            return;
        }
        Flush();
        runFrom_ = from;
        runLength_ = length;
    }

    // Gives record the offset its data gets: after what is written and pending.
    void Place(ARCFileCls& record) {
        const std::int64_t offset = out_.Position() + runLength_;
        if (offset > kMaxOffset) throw RewriteOutOfRange{};
        record.ArcFileOFSET = static_cast<std::int32_t>(offset);
    }

    // New data for record, written by write, which returns the original size.
    void WriteNew(ARCFileCls& record, const std::function<std::int32_t(BinaryFile&)>& write) {
        Flush();
        Place(record);
        const std::int64_t begin = out_.Position();
        const std::int32_t originalSize = write(out_);
        const std::int64_t stored = out_.Position() - begin;
        if (stored > kMaxOffset) throw RewriteOutOfRange{};
        record.ArcFileZipSize = static_cast<std::int32_t>(stored);
        record.ArcFileOrgSize = originalSize;
        newWritten_ += std::max<std::int32_t>(originalSize, 0);
    }

    void SetAppendedDone(std::size_t count) { appendedDone_ = count; }

private:
    BinaryFile* old_;
    const ArcEntryList& entries_;
    BinaryFile& out_;
    const RewriteProgress& progress_;
    const std::int64_t dataStart_;
    std::int64_t runFrom_ = 0, runLength_ = 0;
    std::size_t entriesDone_ = 0, appendedDone_ = 0;
    std::int64_t oldPassed_ = 0, newWritten_ = 0;
};

}  // namespace

ArcEntryList WriteRewrittenArchive(BinaryFile* old, const ArcEntryList& entries, const RewritePlan& plan,
                                   BinaryFile& out, const RewriteProgress& progress) {
    std::vector<const NewEntryData*> replacementOf(entries.size(), nullptr);
    for (const NewEntryData& r : plan.replacements) replacementOf.at(r.index) = &r;
    std::vector<std::size_t> writtenIndex;
    ArcEntryList written = WrittenRecords(entries, plan, writtenIndex);
    if (written.empty()) {
        WriteArcHead(out, written);
        return written;
    }
    if (!entries.empty() && old == nullptr) throw VbError(vberr::InternalError);

    // The gap after the directory keeps its size; the data follows it.
    const std::int64_t gap =
        entries.empty() ? 0 : std::max<std::int64_t>(0, entries.front().ArcFileOFSET - WrittenDirectoryEnd(entries));
    const std::int64_t start = WrittenDirectoryEnd(written) + gap;
    if (start > kMaxOffset) throw RewriteOutOfRange{};
    out.Seek(start);

    DataWriter data(old, entries, out, progress);
    std::int64_t from = entries.empty() ? 0 : entries.front().ArcFileOFSET;  // next old byte to look at
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ARCFileCls& entry = entries[i];
        data.Carry(from, entry.ArcFileOFSET - from);  // the bytes after the previous entry's data
        from = static_cast<std::int64_t>(entry.ArcFileOFSET) + entry.ArcFileZipSize;
        if (writtenIndex[i] == kDropped) continue;
        ARCFileCls& record = written[writtenIndex[i]];
        if (replacementOf[i] != nullptr) {
            data.WriteNew(record, replacementOf[i]->write);
            data.Tell(from);
        } else {
            data.Place(record);
            data.Carry(entry.ArcFileOFSET, entry.ArcFileZipSize);
        }
    }
    for (std::size_t k = 0; k < plan.appended.size(); ++k) {
        data.WriteNew(written[written.size() - plan.appended.size() + k], plan.appended[k].write);
        data.SetAppendedDone(k + 1);
        data.Tell(from);
    }
    if (!entries.empty()) data.Carry(from, old->Length() - from);  // what followed the last entry's data
    data.Flush();
    WriteArcHead(out, written);
    if (progress) progress(entries.size() + plan.appended.size(), RewriteBytes(entries, entries.empty() ? 0 : old->Length(), plan));
    return written;
}

std::int64_t RewriteBytes(const ArcEntryList& entries, std::int64_t oldLength, const RewritePlan& plan) {
    std::int64_t bytes = entries.empty() ? 0 : std::max<std::int64_t>(0, oldLength - entries.front().ArcFileOFSET);
    for (const NewEntryData& r : plan.replacements) bytes += std::max<std::int64_t>(r.sizeHint, 0);
    for (const AppendedEntry& a : plan.appended) bytes += std::max<std::int64_t>(a.sizeHint, 0);
    return bytes;
}

ArcEntryList WriteRewrittenArchive(BinaryFile& old, const ArcEntryList& entries,
                                   const std::vector<NewEntryData>& replacements, BinaryFile& out,
                                   const RewriteProgress& progress) {
    RewritePlan plan;
    plan.replacements = replacements;
    return WriteRewrittenArchive(&old, entries, plan, out, progress);
}

}  // namespace tessarin
