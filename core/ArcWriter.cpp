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
    std::int64_t end = kArcHeaderSize;
    for (const auto& entry : entries) {
        const auto field = NameFieldBytes(FullNameOfKey(entry.ArcFileKey));
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

void WriteArcHead(BinaryFile& out, const ArcEntryList& entries) {
    std::string head;
    head.reserve(static_cast<std::size_t>(WrittenDirectoryEnd(entries)));
    PutLE(head, kArcMagic, 4);
    PutLE(head, static_cast<std::uint16_t>(kWrittenVersion), 2);
    PutLE(head, static_cast<std::uint16_t>(entries.size()), 2);
    for (const auto& entry : entries) {
        const auto field = NameFieldBytes(FullNameOfKey(entry.ArcFileKey));
        const auto code = ParseTypeCodeHex(entry.ArcFileTypeHex);
        if (!field || !code) throw VbError(vberr::Overflow);  // FindLayoutProblems rules these out
        head += *field;
        PutLE(head, static_cast<std::uint32_t>(*code), 4);
        PutLE(head, static_cast<std::uint32_t>(entry.ArcFileZipSize), 4);
        // Unsigned arithmetic gives back exactly the field that was read, negative sizes included.
        PutLE(head, static_cast<std::uint32_t>(entry.ArcFileOrgSize) + static_cast<std::uint32_t>(kOrgSizeBias), 4);
        PutLE(head, static_cast<std::uint32_t>(entry.ArcFileOFSET), 4);
    }
    out.Seek(0);
    out.Write(head.data(), head.size());

    if (entries.empty()) return;
    std::int64_t gap = static_cast<std::int64_t>(entries.front().ArcFileOFSET) - static_cast<std::int64_t>(head.size());
    if (gap <= 0) return;
    const std::vector<char> zeros(static_cast<std::size_t>(std::min<std::int64_t>(gap, kCopyBlockSize)), '\0');
    while (gap > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(gap, static_cast<std::int64_t>(zeros.size())));
        out.Write(zeros.data(), n);
        gap -= static_cast<std::int64_t>(n);
    }
}

ArcEntryList WriteRewrittenArchive(BinaryFile& old, const ArcEntryList& entries,
                                   const std::vector<NewEntryData>& replacements, BinaryFile& out,
                                   const RewriteProgress& progress) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    ArcEntryList written = entries;
    if (entries.empty()) {
        WriteArcHead(out, written);
        return written;
    }
    const std::int64_t oldLength = old.Length();
    std::int64_t from = entries.front().ArcFileOFSET;  // next old byte to carry over
    std::int64_t delta = 0;                             // how far later data moves
    std::size_t next = 0;                               // next entry whose offset to set
    auto shiftUpTo = [&](std::size_t end) {
        for (; next < end; ++next) {
            const std::int64_t offset = entries[next].ArcFileOFSET + delta;
            if (offset < 0 || offset > kMax) throw RewriteOutOfRange{};
            written[next].ArcFileOFSET = static_cast<std::int32_t>(offset);
        }
    };
    // Entries lie in directory order: those whose old data ends by a position are written.
    std::size_t entriesWritten = 0;
    auto tell = [&](std::int64_t oldPosition) {
        while (entriesWritten < entries.size() &&
               static_cast<std::int64_t>(entries[entriesWritten].ArcFileOFSET) +
                       entries[entriesWritten].ArcFileZipSize <= oldPosition)
            ++entriesWritten;
        progress(entriesWritten);
    };
    auto carry = [&](std::int64_t start, std::int64_t length) {
        if (!progress) return CopyBetweenFiles(old, start, length, out);
        while (length > 0) {
            const std::int64_t n = std::min(length, kProgressStep);
            CopyBetweenFiles(old, start, n, out);
            start += n;
            length -= n;
            tell(start);
        }
    };
    out.Seek(from);
    for (const NewEntryData& replacement : replacements) {
        const ARCFileCls& entry = entries.at(replacement.index);
        if (replacement.index < next) throw VbError(vberr::InternalError);  // not ascending
        carry(from, entry.ArcFileOFSET - from);
        shiftUpTo(replacement.index + 1);
        const std::int64_t start = out.Position();
        const std::int32_t originalSize = replacement.write(out);
        const std::int64_t stored = out.Position() - start;
        if (stored > kMax) throw RewriteOutOfRange{};
        written[replacement.index].ArcFileZipSize = static_cast<std::int32_t>(stored);
        written[replacement.index].ArcFileOrgSize = originalSize;
        from = static_cast<std::int64_t>(entry.ArcFileOFSET) + entry.ArcFileZipSize;
        delta += stored - entry.ArcFileZipSize;
        if (progress) tell(from);
    }
    carry(from, oldLength - from);
    shiftUpTo(entries.size());
    WriteArcHead(out, written);
    if (progress) progress(entries.size());
    return written;
}

}  // namespace tessarin
