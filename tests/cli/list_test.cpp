// tessarin-cli list, run as a process on archives built byte by byte.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/CliRunner.h"

namespace tessarin::testing {
namespace {

nlohmann::json ListJson(const std::string& bytes, CliRun& run, const std::string& types = "") {
    TempDir dir;
    WriteFileBytes(dir / "t.arc", bytes);
    if (!types.empty()) WriteFileBytes(dir / "types.txt", types);
    run = Cli("list --json " + Q(dir / "t.arc") + (types.empty() ? "" : " --types " + Q(dir / "types.txt")), dir);
    return nlohmann::json::parse(run.out);
}

TEST(CliListTest, JsonCarriesEveryRecordField) {
    ArcPlan plan;
    plan.version = 3;
    plan.records = {Entry("ui\\logo", 0x1A, "logo bytes"), Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", -1, "table"),  // 数据\表
                    Entry(std::string("gfx\\a\0old", 9), 0, "z"), Entry(std::string(64, 'L'), 7, "long")};
    plan.records[3].pad = false;
    plan.records[2].orgField = 0x00000100;  // negative original size
    plan.records[1].storedSize = -5;
    CliRun run;
    const nlohmann::json j = ListJson(BuildArc(plan), run, "1A:png\r\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(j["version"], 3);
    EXPECT_EQ(j["count"], 4);
    EXPECT_FALSE(j.contains("error"));
    // The fields each entry must carry with exactly these values.
    const nlohmann::json expected[] = {
        {{"key", "ui\\logo.1A"}, {"name", "logo.png"}, {"folder", "ui\\"}, {"type", "png"}, {"typeHex", "1A"},
         {"originalSize", 10}, {"offset", 8 + 80 * 3 + 83}, {"rawName", "75695c6c6f676f"}},
        {{"key", "数据\\表.FFFFFFFF"}, {"name", "表.FFFFFFFF"}, {"folder", "数据\\"}, {"storedSize", -5},
         {"rawName", "cafdbedd5cb1ed"}},
        {{"key", "gfx\\aold.0"}, {"rawName", "6766785c616f6c64"}, {"originalSize", -1073741568}},
        {{"key", std::string(64, 'L') + ".7"}},
    };
    ASSERT_EQ(j["entries"].size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        for (const auto& [field, value] : expected[i].items()) EXPECT_EQ(j["entries"][i][field], value) << i << field;
    }
}

// Name bytes that are not code page 936 travel as "\udcXX" escapes (what a
// reader decoding with surrogate escapes gets), never as a lossy U+FFFD.
TEST(CliListTest, BytesOutsideTheCodePageBecomeSurrogateEscapes) {
    ArcPlan plan;
    plan.records = {Entry("a\x80\\\xFF\xC4\xE3", 0x1A, "x")};
    TempDir dir;
    WriteFileBytes(dir / "t.arc", BuildArc(plan));
    const CliRun run = Cli("list --json " + Q(dir / "t.arc"), dir);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"key\": \"a\\udc80\\\\\\udcff你.1A\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"rawName\": \"61805cffc4e3\""), std::string::npos) << run.out;
}

TEST(CliListTest, FailuresKeepTheEntriesReadSoFar) {
    ArcPlan two;
    two.records = {Entry("a", 1, "x"), Entry("b", 2, "y")};
    ArcPlan shortCount = two;
    shortCount.count = 3;
    ArcPlan overflow = two;
    overflow.records[1].orgField = static_cast<std::int32_t>(0x90000000u);
    const struct {
        const char* label;
        std::string bytes;
        int number;
        std::string messageStart;
        std::size_t entries;
    } cases[] = {
        {"wrong magic", "NOTANARCHIVE", 0, "文件类型不正确", 0},
        {"past the end", BuildArc(shortCount), 62, "发现未知的错误,错误编号:62\r\n\r\n错误信息:", 2},
        {"overflow", BuildArc(overflow), 6, "发现未知的错误,错误编号:6\r\n\r\n错误信息:", 1},
    };
    for (const auto& c : cases) {
        CliRun run;
        const nlohmann::json j = ListJson(c.bytes, run);
        EXPECT_EQ(run.exitCode, 1) << c.label;
        EXPECT_EQ(j["error"]["number"], c.number) << c.label;
        EXPECT_EQ(j["error"]["message"].get<std::string>().rfind(c.messageStart, 0), 0u) << c.label;
        EXPECT_EQ(j["entries"].size(), c.entries) << c.label;
        EXPECT_NE(run.err.find(c.messageStart.substr(0, 12)), std::string::npos) << c.label;
    }
    // Archives that cannot be opened at all.
    TempDir dir;
    for (const std::string& path : {dir / "missing.arc", dir.path()}) {
        const CliRun run = Cli("list " + Q(path), dir);
        EXPECT_EQ(run.exitCode, 1) << path;
        EXPECT_NE(run.err.find("发现未知的错误"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace tessarin::testing
