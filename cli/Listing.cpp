#include "cli/Listing.h"

#include <new>

#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/Terminal.h"
#include "core/platform/VbError.h"

namespace tessarin::cli {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexBytes(std::string& out, std::string_view bytes) {
    for (unsigned char b : bytes) {
        out.push_back(kHexDigits[b >> 4]);
        out.push_back(kHexDigits[b & 0xF]);
    }
}

void AppendNumber(std::string& out, long long value) { out += std::to_string(value); }

// How many continuation bytes a lead byte takes, and the range its first
// continuation byte must lie in (strict UTF-8: no overlong forms, no
// surrogates, nothing above U+10FFFF). 0 continuation bytes for an invalid lead.
struct LeadRule {
    int continuation;
    unsigned char low, high;
};
LeadRule RuleFor(unsigned char b) {
    if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
    if (b == 0xE0) return {2, 0xA0, 0xBF};
    if (b == 0xED) return {2, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
    if (b == 0xF0) return {3, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
    if (b == 0xF4) return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The failure message the window shows for a failed open.
ListingFailure FailureOf(const ArcReadResult& result, const std::string& path) {
    if (result.status == ArcReadResult::Status::WrongMagic) return {0, WrongTypeText(path)};
    if (result.errorNumber == vberr::PermissionDenied) return {70, AccessRefusedText(path, result.errorDescription)};
    return {result.errorNumber, UnknownErrorText(result.errorNumber, result.errorDescription, path)};
}

// Writes each record as it is read, then forgets it: the listing never holds
// more than one record.
class ListingWriter : public ArcReadReceiver {
public:
    ListingWriter(const std::string& path, bool json, bool keysOnly, OutputBuffer& out, ArcEntryList& entries)
        : path_(path), json_(json), keysOnly_(keysOnly), out_(out), entries_(entries) {}

    void CountRead(std::int16_t count) override { count_ = count; }
    void VersionRead(std::int16_t version) override { version_ = version; }

    void EntryAdded(const ARCFileCls& e, const DirectoryRecord& record) override {
        if (json_) {
            std::string& o = out_.Text();
            if (!headWritten_) WriteJsonHead(version_, count_);
            o += first_ ? "\n    {\n      \"key\": " : ",\n    {\n      \"key\": ";
            first_ = false;
            AppendJsonString(o, e.ArcFileKey);
            o += ",\n      \"name\": ";
            AppendJsonString(o, e.ArcFileName);
            o += ",\n      \"folder\": ";
            AppendJsonString(o, e.ArcFilePath);
            o += ",\n      \"type\": ";
            AppendJsonString(o, e.ArcFileType);
            o += ",\n      \"typeHex\": ";
            AppendJsonString(o, e.ArcFileTypeHex);
            o += ",\n      \"storedSize\": ";
            AppendNumber(o, e.ArcFileZipSize);
            o += ",\n      \"originalSize\": ";
            AppendNumber(o, e.ArcFileOrgSize);
            o += ",\n      \"offset\": ";
            AppendNumber(o, e.ArcFileOFSET);
            o += ",\n      \"rawName\": \"";
            AppendHexBytes(o, record.rawName);
            o += "\"\n    }";
            out_.MaybeFlush();
        } else if (keysOnly_) {
            // The key as the other verbs take it, bytes outside the code page as they lie.
            lines_ += TextToNative(e.ArcFileKey);
            lines_ += '\n';
        } else {
            // Bytes outside the code page go to the terminal as they lie in the archive.
            lines_ += TextToNative(e.ArcFileKey);
            lines_ += '\t';
            lines_ += TextToNative(e.ArcFileName);
            lines_ += "\tstored ";
            AppendNumber(lines_, e.ArcFileZipSize);
            lines_ += "\toriginal ";
            AppendNumber(lines_, e.ArcFileOrgSize);
            lines_ += "\toffset ";
            AppendNumber(lines_, e.ArcFileOFSET);
            lines_ += '\n';
        }
        entries_.clear();  // the reader only appends; nothing needs the record any more
    }

    ListingResult Finish(const ArcReadResult& result) {
        ListingResult listing;
        listing.ok = result.status == ArcReadResult::Status::Ok;
        if (!listing.ok) listing.failure = FailureOf(result, path_);
        std::string& o = out_.Text();
        if (json_) {
            if (!headWritten_) WriteJsonHead(result.version, result.count);
            o += first_ ? "]" : "\n  ]";
            if (!listing.ok) {
                o += ",\n  \"error\": {\n    \"number\": ";
                AppendNumber(o, listing.failure.number);
                o += ",\n    \"message\": ";
                AppendJsonString(o, listing.failure.message);
                o += "\n  }";
            }
            o += "\n}\n";
        } else {
            if (listing.ok && !keysOnly_) {
                o += "ARC File: ";
                o += TextToNative(path_);
                o += "\nARC Version: ";
                AppendNumber(o, result.version);
                o += "\n" + Say(Msg::ListCount, {std::to_string(result.count)}) + "\n";
            }
            o += lines_;
        }
        out_.Flush();
        return listing;
    }

private:
    void WriteJsonHead(std::int16_t version, std::int16_t count) {
        std::string& o = out_.Text();
        o += "{\n  \"format\": 1,\n  \"path\": ";
        AppendJsonString(o, path_);
        o += ",\n  \"version\": ";
        AppendNumber(o, version);
        o += ",\n  \"count\": ";
        AppendNumber(o, count);
        o += ",\n  \"entries\": [";
        headWritten_ = true;
    }

    const std::string& path_;
    bool json_;
    bool keysOnly_;
    OutputBuffer& out_;
    ArcEntryList& entries_;
    std::string lines_;  // plain entry lines wait for the header, written once the read has ended
    std::int16_t version_ = 0, count_ = 0;
    bool headWritten_ = false;
    bool first_ = true;
};

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            switch (b) {
                case '"': out += "\\\""; break;
                case '\\': out += "\\\\"; break;
                case '\b': out += "\\b"; break;
                case '\f': out += "\\f"; break;
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    if (b < 0x20) {
                        out += "\\u00";
                        out.push_back(kHexDigits[b >> 4]);
                        out.push_back(kHexDigits[b & 0xF]);
                    } else {
                        out.push_back(static_cast<char>(b));
                    }
            }
            ++i;
            continue;
        }
        // A byte escape: U+DC80..U+DCFF, encoded ED B2 80..ED B3 BF.
        if (b == 0xED && i + 2 < n && (static_cast<unsigned char>(text[i + 1]) & 0xFE) == 0xB2 &&
            (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80) {
            const unsigned byte = ((static_cast<unsigned char>(text[i + 1]) & 0x01) << 6) |
                                  (static_cast<unsigned char>(text[i + 2]) & 0x3F) | 0x80;
            out += "\\udc";
            out.push_back(kHexDigits[byte >> 4]);
            out.push_back(kHexDigits[byte & 0xF]);
            i += 3;
            continue;
        }
        const LeadRule rule = RuleFor(b);
        std::size_t length = 1;
        bool valid = rule.continuation > 0;
        for (int k = 0; valid && k < rule.continuation; ++k) {
            if (i + length >= n) {
                valid = false;
                break;
            }
            const auto c = static_cast<unsigned char>(text[i + length]);
            const bool fits = k == 0 ? c >= rule.low && c <= rule.high : (c & 0xC0) == 0x80;
            if (!fits) {
                valid = false;
                break;
            }
            ++length;
        }
        if (valid) {
            out.append(text.data() + i, length);
        } else {
            // The bytes taken so far are one invalid sequence; the byte that
            // broke it starts the next one.
            out += kReplacement;
        }
        i += length;
    }
    out.push_back('"');
}

void OutputBuffer::Flush() {
    if (stream_ == nullptr || text_.empty()) return;
    WriteText(stream_, text_);
    text_.clear();
}

ListingResult WriteListing(const std::string& path, const ExtTypeTable& types, bool json, OutputBuffer& out,
                           bool keysOnly) {
    ArcEntryList entries;
    ListingWriter writer(path, json, keysOnly, out, entries);
    return writer.Finish(ReadArcFile(path, types, entries, writer));
}

}  // namespace tessarin::cli
