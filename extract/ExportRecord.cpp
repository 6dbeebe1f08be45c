#include "extract/ExportRecord.h"

#include <charconv>

#include "core/platform/FileSystem.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {

constexpr std::string_view kHeader = "tessarin-export 1";
// Far above the largest record an archive can need (32,767 entries).
constexpr std::int64_t kMaxRecordBytes = 16 << 20;

std::string Escaped(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || b == '%') {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// Whether two names of one folder name the same file on this platform.
bool SameFileName(std::string_view a, std::string_view b) { return FileNameCaseKey(a) == FileNameCaseKey(b); }

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t space = line.find(' ', start);
        fields.push_back(line.substr(start, space == std::string_view::npos ? std::string_view::npos : space - start));
        if (space == std::string_view::npos) return fields;
        start = space + 1;
    }
}

void PutStamp(std::string& out, const FileStamp& s) {
    out += ' ' + std::to_string(s.size) + ' ' + std::to_string(s.modified) + ' ' + std::to_string(s.changed) + ' ' +
           std::to_string(s.device) + ' ' + std::to_string(s.index);
}

// The stamp in fields[first..first+4]; false when one does not parse.
bool GetStamp(const std::vector<std::string_view>& fields, std::size_t first, FileStamp& s) {
    return ParseNumber(fields[first], s.size) && ParseNumber(fields[first + 1], s.modified) &&
           ParseNumber(fields[first + 2], s.changed) && ParseNumber(fields[first + 3], s.device) &&
           ParseNumber(fields[first + 4], s.index);
}

// The record's first lines: the header and the archive's.
std::string RecordHead(const ExportRecord& record) {
    std::string out(kHeader);
    out += "\narchive " + Escaped(record.archivePath);
    PutStamp(out, record.archive);
    out += '\n';
    return out;
}

void PutFileLine(std::string& out, std::string_view key, const FileStamp& stamp) {
    out += "file " + Escaped(key);
    PutStamp(out, stamp);
    out += '\n';
}

std::string EndLine(std::size_t count) { return "end " + std::to_string(count) + '\n'; }

}  // namespace

std::string FormatExportRecord(const ExportRecord& record) {
    std::string out = RecordHead(record);
    for (const auto& [key, stamp] : record.files) PutFileLine(out, key, stamp);
    return out + EndLine(record.files.size());
}

std::optional<ExportRecord> ParseExportRecord(std::string_view text) {
    ExportRecord record;
    std::size_t lineNumber = 0;
    bool ended = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t newline = text.find('\n', start);
        if (newline == std::string_view::npos || ended) return std::nullopt;  // cut short, or more after the end
        const std::string_view line = text.substr(start, newline - start);
        start = newline + 1;
        const std::vector<std::string_view> f = Fields(line);
        if (lineNumber++ == 0) {
            if (line != kHeader) return std::nullopt;
            continue;
        }
        if (lineNumber == 2) {
            if (f.size() != 7 || f[0] != "archive") return std::nullopt;
            auto path = Unescaped(f[1]);
            if (!path || !GetStamp(f, 2, record.archive)) return std::nullopt;
            record.archivePath = std::move(*path);
        } else if (f.size() == 7 && f[0] == "file") {
            auto key = Unescaped(f[1]);
            FileStamp stamp;
            if (!key || !GetStamp(f, 2, stamp)) return std::nullopt;
            record.files.emplace_back(std::move(*key), stamp);
        } else if (f.size() == 2 && f[0] == "end") {
            std::size_t count = 0;
            if (!ParseNumber(f[1], count) || count != record.files.size()) return std::nullopt;
            ended = true;
        } else {
            return std::nullopt;
        }
    }
    if (!ended) return std::nullopt;
    return record;
}

std::optional<StoredExportRecord> ReadExportRecord(const std::string& folder) {
    // Most folders have none: they are not opened at all.
    if (!StampOfFileBelow(folder, kExportRecordName)) return std::nullopt;
    try {
        BinaryFile file = OpenFileBelow(folder, kExportRecordName);
        const std::optional<FileStamp> stamp = StampOfOpenFile(file);
        if (!stamp || stamp->size > kMaxRecordBytes) return std::nullopt;
        std::string text(static_cast<std::size_t>(stamp->size), '\0');
        file.ReadExact(text.data(), text.size());
        std::optional<ExportRecord> record = ParseExportRecord(text);
        if (!record) return std::nullopt;
        return StoredExportRecord{std::move(*record), stamp->modified};
    } catch (const VbError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

void WriteExportRecord(const std::string& folder, const ExportRecord& record) {
    const std::string text = FormatExportRecord(record);
    const SafeFolder target = SafeFolder::Open(folder);
    FolderFile file = target.CreateTemporaryFor(kExportRecordName);
    file.Write(text.data(), text.size());
    // Not synced before it replaces the old record: a record a crash leaves
    // cut short or zeroed does not parse (the header, the "end" line and its
    // count), and one that is missing or not trusted costs only a comparison of
    // every file by content. A sync here would add a disk round trip to every
    // export and import. The archive the record names is synced before.
    file.CommitUnsyncedAs(kExportRecordName);
}

std::optional<ExportRecord> RecordForOpenArchive(Program& program) {
    try {
        const std::optional<FileStamp> stamp = StampOfOpenFile(program.files.Get(program.arc.ArcFileNum));
        if (!stamp) return std::nullopt;
        ExportRecord record;
        record.archivePath = ResolvedPath(program.arc.OpenArcPath);
        record.archive = *stamp;
        return record;
    } catch (const VbError&) {
        return std::nullopt;
    }
}

ExportRecorder::ExportRecorder(Program& program, std::string folder)
    : entries_(program.arc.ArcEntries), folder_(std::move(folder)), head_(RecordForOpenArchive(program)) {
    // At most one file per entry: room for all at once, rather than a list
    // that grows by copying itself at its largest.
    if (head_) files_.reserve(entries_.size());
}

void ExportRecorder::Written(std::size_t entry, const std::vector<std::string>& folders, const std::string& name,
                             const std::optional<FileStamp>& stamp) {
    if (!head_) return;
    if (folders.empty() && SameFileName(name, kExportRecordName)) nameTaken_ = true;
    if (stamp) {
        files_.emplace_back(static_cast<std::uint32_t>(entry), *stamp);
        return;
    }
    std::string relative;
    for (const std::string& f : folders) relative += f + "/";
    relative += name;
    if (const std::optional<FileStamp> found = StampOfFileBelow(folder_, relative))
        files_.emplace_back(static_cast<std::uint32_t>(entry), *found);
}

void ExportRecorder::Save() const {
    if (!head_ || nameTaken_) return;
    try {
        // Written in blocks as it is formatted: the whole text is never held.
        const SafeFolder target = SafeFolder::Open(folder_);
        FolderFile file = target.CreateTemporaryFor(kExportRecordName);
        std::string block = RecordHead(*head_);
        for (const auto& [entry, stamp] : files_) {
            PutFileLine(block, entries_[entry].ArcFileKey, stamp);
            if (block.size() >= (64 << 10)) {
                file.Write(block.data(), block.size());
                block.clear();
            }
        }
        block += EndLine(files_.size());
        file.Write(block.data(), block.size());
        file.CommitUnsyncedAs(kExportRecordName);  // unsynced: see WriteExportRecord
    } catch (const VbError&) {
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace tessarin
