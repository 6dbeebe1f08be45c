// Writes the seed inputs of the codec, export path, replacement, new key,
// export record and rewrite targets into
// fuzz/corpus/<target>/, built with the tests' archive builder:
//   fuzz_seeds FOLDER   (FOLDER: the fuzz/corpus folder)
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/ArcBuilder.h"

namespace {

using namespace tessarin::testing;

ArcPlan Plan() {
    ArcPlan p;
    p.records = {Entry("ui\\logo", 0x1A, "logo bytes, logo bytes"), Entry("ui\\deep\\doc", 0x20, "a text file"),
                 Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, std::string(5000, 'z'))};
    p.gap = "gap!";
    p.trailer = "trailer";
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string root = argv[1];
    const std::string hello = Deflate("hello hello hello");
    std::string dictionary = hello;
    dictionary[1] = static_cast<char>(0xBB);
    const std::vector<std::pair<std::string, std::string>> codec = {
        {"exact", Le(17, 4) + hello},          {"padded", Le(100, 4) + hello},
        {"too-small", Le(5, 4) + hello},       {"garbage", Le(12, 4) + "not a zlib stream"},
        {"empty", Le(0, 4)},                   {"zeros", Le(1 << 16, 4) + Deflate(std::string(1 << 16, '\0'))},
        {"dictionary", Le(17, 4) + dictionary}, {"trailing", Le(17, 4) + hello + "junk"},
        {"truncated", Le(17, 4) + hello.substr(0, hello.size() / 2)},
        {"text", Le(3000, 4) + Deflate(std::string(1000, 'a') + std::string(1000, 'b') + std::string(1000, 'c'))},
        {"two-streams", Le(34, 4) + hello + hello},
        {"wrong-check", Le(17, 4) + hello.substr(0, hello.size() - 1) + "\x01"},
        {"stored-block", Le(5, 4) + std::string("\x78\x01\x01\x05\x00\xFA\xFFhello\x06\x2C\x02\x15", 16)},
        {"recorded-max", Le(0x00FFFFFF, 4) + hello}};
    const std::vector<std::pair<std::string, std::string>> paths = {
        {"plain", "ui\\logo"},    {"parent", "..\\..\\escape"}, {"empty-part", "a\\\\b"},
        {"drive", "C:\\escape"},  {"gbk", "\xCA\xFD\xBE\xDD\\\xB1\xED"}, {"device", "con\\aux"},
        {"slash", "sub/../../x"}, {"dot", ".\\dot"}};
    ArcPlan kept = Plan();
    kept.records[1].data += "KEPT";
    kept.records[1].storedSize = static_cast<std::int32_t>(kept.records[1].data.size() - 4);
    const std::vector<std::pair<std::string, std::string>> replace = {
        {"first", std::string(1, '\0') + Le(9, 2) + "new bytes" + BuildArc(Plan())},
        {"last-empty", std::string(1, '\2') + Le(0, 2) + BuildArc(Plan())},
        {"kept-bytes", std::string(1, '\1') + Le(3, 2) + "new" + BuildArc(kept)},
        {"large", std::string(1, '\1') + Le(4000, 2) + std::string(4000, 'q') + BuildArc(Plan())}};
    const std::vector<std::pair<std::string, std::string>> newkey = {
        {"plain", "ui\\logo.1A"}, {"type-name", "ui\\logo.PNG"}, {"gbk", "\xCA\xFD\xBE\xDD\\\xB1\xED.020"},
        {"lone-lead", "a\xD6.1A"}, {"lead-before-separator", "a\xD6\\b.1A"}, {"parent", "..\\x.1A"},
        {"long", std::string(63, 'n') + ".FFFFFFFF"}};
    const std::string record = "tessarin-export 1\narchive /tmp/a%20b.arc 10 1 2 3 4\n"
                               "file ui\\logo.1A 3 5 6 3 7\nfile %25x.20 0 0 0 0 0\nend 2\n";
    const std::vector<std::pair<std::string, std::string>> recordSeeds = {
        {"two-files", record}, {"empty", "tessarin-export 1\narchive a 0 0 0 0 0\nend 0\n"},
        {"cut", record.substr(0, record.size() / 2)}, {"huge-count", "tessarin-export 1\narchive a 0 0 0 0 0\nend 99999999999\n"}};
    const std::vector<std::pair<std::string, std::string>> rewrite = {
        {"drop", std::string("\x01\x00", 2) + BuildArc(Plan())}, {"rename", std::string("\x02\x01", 2) + BuildArc(Plan())},
        {"append", std::string("\x04\x00", 2) + BuildArc(Plan())}, {"all", std::string("\x07\x02", 2) + BuildArc(kept)}};
    for (const auto& [folder, seeds] : {std::pair{"codec", codec}, std::pair{"paths", paths}, std::pair{"replace", replace},
                                        std::pair{"newkey", newkey}, std::pair{"record", recordSeeds},
                                        std::pair{"rewrite", rewrite}}) {
        std::filesystem::create_directories(root + "/" + folder);
        for (const auto& [name, bytes] : seeds) WriteFileBytes(root + "/" + folder + "/" + name + ".bin", bytes);
    }
    return 0;
}
