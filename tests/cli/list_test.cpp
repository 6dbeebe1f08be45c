// tessarin-cli list, run as a process on archives built byte by byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <nlohmann/json.hpp>

#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::ArcPlan;
using testing::TempDir;

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string BinDir() {
    const char* dir = std::getenv("TESSARIN_BIN_DIR");
    return dir ? dir : "build/bin";
}

RunResult RunCli(const std::string& args, const TempDir& dir) {
    const std::string errFile = dir / "stderr.txt";
    const std::string command = BinDir() + "/tessarin-cli " + args + " 2>" + errFile;
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = testing::ReadFileBytes(errFile);
    return result;
}

nlohmann::json ListJson(const std::string& bytes, RunResult* run = nullptr, const std::string& types = "") {
    TempDir dir;
    testing::WriteFileBytes(dir / "t.arc", bytes);
    std::string typesArg;
    if (!types.empty()) {
        testing::WriteFileBytes(dir / "types.txt", types);
        typesArg = " --types '" + (dir / "types.txt") + "'";
    }
    RunResult result = RunCli("list --json '" + (dir / "t.arc") + "'" + typesArg, dir);
    if (run) *run = result;
    return nlohmann::json::parse(result.out);
}

TEST(CliListTest, JsonCarriesEveryRecordField) {
    ArcPlan plan;
    plan.version = 3;
    plan.records.push_back(testing::Entry("ui\\logo", 0x1A, "logo bytes"));
    plan.records.push_back(testing::Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", -1, "table"));  // 数据\表
    plan.records.push_back(testing::Entry(std::string("gfx\\a\0old", 9), 0, "z"));
    plan.records.push_back(testing::Entry(std::string(64, 'L'), 7, "long"));
    plan.records[3].pad = false;
    plan.records[2].orgField = 0x00000100;  // negative original size
    plan.records[1].storedSize = -5;
    RunResult run;
    const nlohmann::json j = ListJson(BuildArc(plan), &run, "1A:png\r\n");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(j["version"], 3);
    EXPECT_EQ(j["count"], 4);
    EXPECT_FALSE(j.contains("error"));
    ASSERT_EQ(j["entries"].size(), 4u);
    const nlohmann::json& e0 = j["entries"][0];
    EXPECT_EQ(e0["key"], "ui\\logo.1A");
    EXPECT_EQ(e0["name"], "logo.png");
    EXPECT_EQ(e0["folder"], "ui\\");
    EXPECT_EQ(e0["type"], "png");
    EXPECT_EQ(e0["typeHex"], "1A");
    EXPECT_EQ(e0["originalSize"], 10);
    EXPECT_EQ(e0["offset"], 8 + 80 * 3 + 83);
    EXPECT_EQ(e0["rawName"], "75695c6c6f676f");
    const nlohmann::json& e1 = j["entries"][1];
    EXPECT_EQ(e1["key"], "数据\\表.FFFFFFFF");
    EXPECT_EQ(e1["name"], "表.FFFFFFFF");
    EXPECT_EQ(e1["folder"], "数据\\");
    EXPECT_EQ(e1["storedSize"], -5);
    EXPECT_EQ(e1["rawName"], "cafdbedd5cb1ed");
    EXPECT_EQ(j["entries"][2]["key"], "gfx\\aold.0");
    EXPECT_EQ(j["entries"][2]["rawName"], "6766785c616f6c64");
    EXPECT_EQ(j["entries"][2]["originalSize"], -1073741568);
    EXPECT_EQ(j["entries"][3]["key"], std::string(64, 'L') + ".7");
}

TEST(CliListTest, FailuresKeepTheEntriesReadSoFar) {
    ArcPlan two;
    two.records = {testing::Entry("a", 1, "x"), testing::Entry("b", 2, "y")};
    ArcPlan shortCount = two;
    shortCount.count = 3;
    ArcPlan overflow = two;
    overflow.records[1].orgField = static_cast<std::int32_t>(0x90000000u);
    struct Case {
        const char* label;
        std::string bytes;
        int number;
        std::string messageStart;
        std::size_t entries;
    };
    const Case cases[] = {
        {"wrong magic", "NOTANARCHIVE", 0, "文件类型不正确", 0},
        {"past the end", testing::BuildArc(shortCount), 62, "发现未知的错误,错误编号:62\r\n\r\n错误信息:", 2},
        {"overflow", testing::BuildArc(overflow), 6, "发现未知的错误,错误编号:6\r\n\r\n错误信息:", 1},
    };
    for (const Case& c : cases) {
        RunResult run;
        const nlohmann::json j = ListJson(c.bytes, &run);
        EXPECT_EQ(run.exitCode, 1) << c.label;
        EXPECT_EQ(j["error"]["number"], c.number) << c.label;
        EXPECT_EQ(j["error"]["message"].get<std::string>().rfind(c.messageStart, 0), 0u) << c.label;
        EXPECT_EQ(j["entries"].size(), c.entries) << c.label;
        EXPECT_NE(run.err.find(c.messageStart.substr(0, 12)), std::string::npos) << c.label;
    }
}

TEST(CliListTest, UnopenableArchivesGiveAMessageAndExitOne) {
    TempDir dir;
    for (const std::string& path : {dir / "missing.arc", dir.path()}) {
        RunResult run = RunCli("list '" + path + "'", dir);
        EXPECT_EQ(run.exitCode, 1) << path;
        EXPECT_NE(run.err.find("发现未知的错误"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace tessarin
