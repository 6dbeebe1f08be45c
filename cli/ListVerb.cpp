// tessarin-cli list: the entries of an archive, as text or one JSON object.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Console.h"
#include "cli/Verbs.h"
#include "core/ArcReader.h"
#include "core/OpenMessages.h"
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
        out["path"] = path;
        out["version"] = result.version;
        out["count"] = result.count;
        auto& list = out["entries"] = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const ARCFileCls& e = entries[i];
            list.push_back({{"key", e.ArcFileKey},
                            {"name", e.ArcFileName},
                            {"folder", e.ArcFilePath},
                            {"type", e.ArcFileType},
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
        // Names with bytes that are not code page 936 print as U+FFFD here; rawName keeps them exactly.
        std::cout << out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << std::endl;
    } else {
        if (ok) {
            std::cout << "ARC File: " << path << "\n"
                      << "ARC Version: " << result.version << "\n"
                      << "发现 " << result.count << " 个对象\n";
        }
        for (const ARCFileCls& e : entries)
            std::cout << e.ArcFileKey << "\t" << e.ArcFileName << "\tstored " << e.ArcFileZipSize << "\toriginal "
                      << e.ArcFileOrgSize << "\toffset " << e.ArcFileOFSET << "\n";
        std::cout.flush();
    }
    if (!ok) {
        PrintError(FailureOf(result, path).second);
        return 1;
    }
    return 0;
}

}  // namespace tessarin::cli
