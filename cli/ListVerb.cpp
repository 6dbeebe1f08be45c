// tessarin-cli list: the entries of an archive, as text or one JSON object.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Console.h"
#include "cli/Verbs.h"
#include "core/ArcReader.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"

namespace tessarin::cli {

namespace {

// Keeps each entry's raw name bytes beside the records the reader builds.
class RawNameCollector : public ArcReadReceiver {
public:
    std::vector<std::string> rawNames;
    void MagicAccepted() override { rawNames.clear(); }
    void EntryAdded(const ARCFileCls&, const DirectoryRecord& record) override {
        rawNames.push_back(record.rawName);
    }
};

std::string HexBytes(const std::string& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

// Bytes that are not code page 936 live in the program's text as U+DC80..U+DCFF,
// which JSON can carry only as "\udcXX" escapes. They are marked with U+FFFF
// (which code page 936 never yields) and two hex digits before the dump, and the
// marks are turned into escapes after it.
constexpr const char* kMark = "\xEF\xBF\xBF";

std::string MarkEscapes(const std::string& text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 == 0xED && i + 2 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xFE) == 0xB2) {
            // U+DC80..U+DCFF: ED B2 80..ED B3 BF; the escaped byte is 0x80 | low bits.
            const unsigned byte = ((static_cast<unsigned char>(text[i + 1]) & 0x01) << 6) |
                                  (static_cast<unsigned char>(text[i + 2]) & 0x3F) | 0x80;
            out += kMark;
            out.push_back(kDigits[byte >> 4]);
            out.push_back(kDigits[byte & 0xF]);
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string MarksToEscapes(const std::string& json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (json.compare(i, 3, kMark) == 0 && i + 4 < json.size()) {
            out += "\\udc";
            out.append(json, i + 3, 2);
            i += 4;
        } else {
            out.push_back(json[i]);
        }
    }
    return out;
}

// The message the window shows for a failed open, with its error number (0 for a wrong magic).
std::pair<int, std::string> FailureOf(const ArcReadResult& result, const std::string& path) {
    if (result.status == ArcReadResult::Status::WrongMagic) return {0, kWrongTypeText};
    if (result.errorNumber == 70) return {70, FileInUseText(path)};
    return {result.errorNumber, UnknownErrorText(result.errorNumber, result.errorDescription)};
}

}  // namespace

int RunList(const ListOptions& options) {
    ExtTypeTable types;
    if (!LoadTypeTable(options.typesFile, types)) return 1;

    const std::string path = NativeToText(options.archive);
    ArcEntryList entries;
    RawNameCollector collector;
    const ArcReadResult result = ReadArcFile(path, types, entries, collector);
    const bool ok = result.status == ArcReadResult::Status::Ok;

    if (options.json) {
        nlohmann::ordered_json out;
        out["path"] = MarkEscapes(path);
        out["version"] = result.version;
        out["count"] = result.count;
        auto& list = out["entries"] = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ARCFileCls& e = entries[i];
            list.push_back({{"key", MarkEscapes(e.ArcFileKey)},
                            {"name", MarkEscapes(e.ArcFileName)},
                            {"folder", MarkEscapes(e.ArcFilePath)},
                            {"type", MarkEscapes(e.ArcFileType)},
                            {"typeHex", e.ArcFileTypeHex},
                            {"storedSize", e.ArcFileZipSize},
                            {"originalSize", e.ArcFileOrgSize},
                            {"offset", e.ArcFileOFSET},
                            {"rawName", HexBytes(collector.rawNames[i])}});
        }
        if (!ok) {
            auto [number, message] = FailureOf(result, path);
            out["error"] = {{"number", number}, {"message", message}};
        }
        std::cout << MarksToEscapes(out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace))
                  << std::endl;
    } else {
        if (ok) {
            std::cout << "ARC File: " << TextToNative(path) << "\n"
                      << "ARC Version: " << result.version << "\n"
                      << "发现 " << result.count << " 个对象\n";
        }
        // Bytes outside the code page go to the terminal as they lie in the archive.
        for (const ARCFileCls& e : entries)
            std::cout << TextToNative(e.ArcFileKey) << "\t" << TextToNative(e.ArcFileName) << "\tstored "
                      << e.ArcFileZipSize << "\toriginal " << e.ArcFileOrgSize << "\toffset " << e.ArcFileOFSET
                      << "\n";
        std::cout.flush();
    }
    if (!ok) {
        PrintError(FailureOf(result, path).second);
        return 1;
    }
    return 0;
}

}  // namespace tessarin::cli
