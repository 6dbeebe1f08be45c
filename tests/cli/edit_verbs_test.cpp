// tessarin-cli create, add, delete, rename, cat and import --add, run as a
// process: exit codes, stdout, and the archive written byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "cli/CliRunner.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"

namespace tessarin::testing {
namespace {

ArcPlan Layout() {
    ArcPlan layout;
    layout.records = {Entry("ui\\logo", 0x1A, "logo bytes"), Entry("ui\\deep\\doc", 0x20, "a text file")};
    layout.gap = "gap!";
    return layout;
}

// The layout after a rewrite: the gap zeroed, records changed by edit.
ArcPlan After(const std::function<void(ArcPlan&)>& edit) {
    ArcPlan layout = Layout();
    layout.gap.assign(layout.gap.size(), '\0');
    edit(layout);
    return layout;
}

TEST(CliEditTest, VerbsWriteTheExpectedArchive) {
    const std::string logoStored = Layout().records[0].data;
    ArcPlan created;  // in/ below: the files of the import rows
    created.records = {Entry("extra\\x", 0x20, "x"), Entry("ui\\logo", 0x1A, "new")};
    const struct {
        std::string args;  // {arc}, {dir} and {types} stand for the paths
        int exitCode;
        std::string out;
        std::optional<ArcPlan> after;  // the archive afterwards (none: as it was)
        std::string written = "pack.ARC";
    } runs[] = {
        {"add {arc} 'new\\n.20' {dir}/src.bin", 0, "", After([](ArcPlan& p) { p.records.push_back(Entry("new\\n", 0x20, "new")); })},
        {"add {arc} 'ui\\logo.1a' {dir}/src.bin", 1, "", std::nullopt},
        {"delete {arc} 'ui\\logo.1A'", 0, "", After([](ArcPlan& p) { p.records.erase(p.records.begin()); })},
        {"delete {arc} 'ui\\logo.1A' nope.1", 1, "", std::nullopt},
        {"rename {arc} 'ui\\logo.1A' 'ui\\icon.1B'", 0, "",
         After([](ArcPlan& p) { p.records[0].name = "ui\\icon", p.records[0].typeCode = 0x1B; })},
        {"cat {arc} 'ui\\deep\\doc.20'", 0, "a text file", std::nullopt},
        {"cat {arc} 'ui\\logo.1A' --raw", 0, logoStored, std::nullopt},
        {"cat {arc} nope.1A", 1, "", std::nullopt},
        {"import {arc} {dir}/in --types {types} --add", 0, "ui\\logo.1A\n+extra\\x.20\n",
         After([](ArcPlan& p) {
             p.records[0] = Entry("ui\\logo", 0x1A, "new");
             p.records.push_back(Entry("extra\\x", 0x20, "x"));
         })},
        {"import {arc} {dir}/in --types {types} --add --dry-run", 0, "ui\\logo.1A\n+extra\\x.20\n", std::nullopt},
        {"create {dir}/new.arc {dir}/in --types {types}", 0, "", created, "new.arc"},
        {"create {arc} {dir}/in --types {types}", 1, "", std::nullopt},
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.args);
        TempDir dir;
        WriteFileBytes(dir / "pack.ARC", BuildArc(Layout()));
        WriteFileBytes(dir / "types.txt", "1A:png\r\n20:txt\r\n");
        WriteFileBytes(dir / "src.bin", "new");
        std::filesystem::create_directories(NativePath(dir / "in/ui"));
        std::filesystem::create_directories(NativePath(dir / "in/extra"));
        WriteFileBytes(dir / "in/ui/logo.png", "new");
        WriteFileBytes(dir / "in/extra/x.txt", "x");
        std::string args = r.args;
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"{arc}", Q(dir / "pack.ARC")},
                                          {"{types}", Q(dir / "types.txt")}, {"{dir}", Q(dir.path())}})
            for (std::size_t at; (at = args.find(name)) != std::string::npos;) args.replace(at, name.size(), value);
        for (char& c : args)
            if (c == '\'') c = Q("")[0];
        const CliRun run = Cli(args, dir);
        EXPECT_EQ(run.exitCode, r.exitCode) << run.err;
        EXPECT_EQ(run.out, r.out);
        EXPECT_EQ(ReadFileBytes(dir / r.written), BuildArc(r.after.value_or(Layout())));
    }
}

}  // namespace
}  // namespace tessarin::testing
