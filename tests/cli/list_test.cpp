// tessarin-cli list, run as a process on archives built byte by byte.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "cli/CliRunner.h"
#include "core/ArcReader.h"
#include "core/platform/Cp936.h"
#include "core/ExtTypes.h"

namespace tessarin::testing {
namespace {

// The document as the JSON library writes it for the records the reader gives
// (byte escapes carried through a marker that no input of these tests holds):
// the streamed listing must equal it byte for byte.
std::string LibraryJson(const std::string& nativePath, const std::string& typesPath) {
    const std::string path = NativeToText(nativePath);
    ExtTypeTable types;
    LoadExtTypes(types, typesPath);
    ArcEntryList entries;
    struct Raw : ArcReadReceiver {
        std::vector<std::string> names;
        void EntryAdded(const ARCFileCls&, const DirectoryRecord& r) override { names.push_back(r.rawName); }
    } raw;
    const ArcReadResult result = ReadArcFile(path, types, entries, raw);
    const std::string mark = "\xF0\x9F\x98\x80";  // U+1F600
    auto marked = [&](std::string t) {
        for (std::size_t i = 0; i + 2 < t.size(); ++i)
            if (static_cast<unsigned char>(t[i]) == 0xED && (static_cast<unsigned char>(t[i + 1]) & 0xFE) == 0xB2) {
                const unsigned b = ((t[i + 1] & 1) << 6) | (t[i + 2] & 0x3F) | 0x80;
                char hex[3];
                std::snprintf(hex, sizeof hex, "%02x", b);
                t.replace(i, 3, mark + hex);
            }
        return t;
    };
    nlohmann::ordered_json out;
    out["format"] = 1;
    out["path"] = marked(path);
    out["version"] = result.version;
    out["count"] = result.count;
    auto& list = out["entries"] = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ARCFileCls& e = entries[i];
        std::string hex;
        for (unsigned char c : raw.names[i]) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 15];
        list.push_back({{"key", marked(e.ArcFileKey)}, {"name", marked(e.ArcFileName)},
                        {"folder", marked(e.ArcFilePath)}, {"type", marked(e.ArcFileType)},
                        {"typeHex", e.ArcFileTypeHex}, {"storedSize", e.ArcFileZipSize},
                        {"originalSize", e.ArcFileOrgSize}, {"offset", e.ArcFileOFSET}, {"rawName", hex}});
    }
    std::string text = out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    for (std::size_t at; (at = text.find(mark)) != std::string::npos;) text.replace(at, mark.size(), "\\udc");
    return text;
}

// Every record field; control characters, quotes, backslashes, 0x7F,
// double-byte names, zero bytes in a name, an unpadded name, negative sizes,
// bytes outside the code page (in names and in the archive's own path) and
// U+FFFF in the path: the listing equals the library's document, and every
// byte escape is "\udcXX" (what a reader decoding with surrogate escapes gets).
TEST(CliListTest, JsonEqualsTheLibraryDocumentByteForByte) {
    ArcPlan plan = Archive({Entry("ui\\logo", 0x1A, "x"), Entry("q\"uote\\t\tab\x01\x1f\x7f", 2, "y"),
                            Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", -1, "z"), Entry("a\x80\\\xFF\xC4\xE3", 0x1A, "w"),
                            Entry("nl\n\r\b\f", 3, "v"), Entry(std::string("gfx\\a\0old", 9), 0, "z"),
                            Entry(std::string(64, 'L'), 7, "long")});
    plan.version = 3;
    plan.records[2].storedSize = -5;
    plan.records[5].orgField = 0x00000100;  // negative original size
    plan.records[6].pad = false;
    std::string unmade;
    for (const std::string folder : {"plain", "odd\x80\xFF", "ffff\xEF\xBF\xBF" "41"}) {
        SCOPED_TRACE(folder);
        TempDir dir;
        std::error_code ec;
        if (!std::filesystem::create_directory(NativePath(NativeToText(dir / folder)), ec)) {
            // Raw bytes travel in Windows names as lone surrogates, which Wine
            // cannot store in its Unix (UTF-8) names; Windows itself can.
#ifdef _WIN32
            if (folder != "plain") {
                unmade += " " + folder;
                continue;
            }
#endif
            FAIL() << ec.message();
        }
        const std::string path = dir / folder + "/t.arc";
        WriteFileBytes(path, BuildArc(plan));
        WriteFileBytes(dir / "types.txt", "1A:p\"ng\\\r\n3:\xC4\xE3\r\n");
        const CliRun run = Cli("list --json " + Q(path) + " --types " + Q(dir / "types.txt"), dir);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        if (folder.find('\xEF') == std::string::npos) {
            EXPECT_EQ(run.out, LibraryJson(path, dir / "types.txt"));
        } else {
            // The library cannot be the reference here: U+FFFF was the old marker.
            EXPECT_NE(run.out.find("ffff\xEF\xBF\xBF" "41/t.arc\""), std::string::npos) << run.out;
        }
        EXPECT_NE(run.out.find("\"key\": \"a\\udc80\\\\\\udcff你.1A\""), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\"rawName\": \"61805cffc4e3\""), std::string::npos) << run.out;
    }
    if (!unmade.empty()) GTEST_SKIP() << "this system cannot name a folder" << unmade;
}

// A failed read lists the entries read before it, with a message that names
// the archive and the cause; archives that cannot be opened at all list none.
TEST(CliListTest, FailuresKeepTheEntriesReadSoFar) {
    ArcPlan shortCount = Archive({Entry("a", 1, "x"), Entry("b", 2, "y")});
    shortCount.count = 3;
    const struct {
        const char* label;
        std::string bytes;
        int number;
        std::string cause;
        std::size_t entries;
        std::string file = "t.arc";  // listed, below the folder the bytes are written to as t.arc
    } cases[] = {
        {"wrong magic", "NOTANARCHIVE", 0, "：不是 ARC 档案", 0},
        {"past the end", BuildArc(shortCount), 62, "：数据比记录的短，文件不完整（错误 62）", 2},
        {"missing", "", 53, "：不存在（错误 53）", 0, "missing.arc"},
        {"a folder", "", 75, "：不是普通文件（可能是文件夹）（错误 75）", 0, "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        WriteFileBytes(dir / "t.arc", c.bytes);
        const CliRun run = Cli("list --json " + Q(dir / c.file), dir);
        const nlohmann::json j = nlohmann::json::parse(run.out);
        EXPECT_EQ(std::tuple(run.exitCode, j["format"], j["error"]["number"], j["entries"].size()),
                  std::tuple(1, 1, c.number, c.entries));
        const std::string message = j["error"]["message"].get<std::string>();
        EXPECT_EQ(message.rfind("无法打开档案：" + dir / c.file + c.cause, 0), 0u) << message;
        EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    }
}

}  // namespace
}  // namespace tessarin::testing
