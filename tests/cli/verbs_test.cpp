// tessarin-cli's verbs, run as a process on archives built byte by byte: the
// files written, the archive rewritten or created, the problems found, the
// exit codes and what the program prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include "cli/CliRunner.h"
#include "support/Listings.h"

namespace tessarin::testing {
namespace {

// The archive each run starts from.
ArcPlan Layout() {
    ArcPlan layout = Archive({Entry("ui\\logo", 0x1A, "logo bytes, logo bytes"),
                              Entry("ui\\deep\\doc", 0x20, "a text file"),
                              Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, std::string(5000, 'z'))});  // 数据\表
    layout.gap = "gap!";
    return layout;
}

// The archive after a rewrite: the gap zeroed, then changed by edit.
ArcPlan Rewritten(const std::function<void(ArcPlan&)>& edit) {
    ArcPlan layout = Layout();
    layout.gap = std::string(4, '\0');
    edit(layout);
    return layout;
}
// ... with these entries given new bytes.
ArcPlan Replaced(const std::vector<std::pair<std::size_t, std::string>>& plain) {
    return Rewritten([&](ArcPlan& p) {
        for (const auto& [i, bytes] : plain) p.records[i] = Entry(p.records[i].name, p.records[i].typeCode, bytes);
    });
}

// dir's paths in place of their placeholders; 'words' quoted for this platform's shell.
std::string Substitute(std::string args, const TempDir& dir) {
    std::replace(args.begin(), args.end(), '\'', Q("")[0]);
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"{arc}", Q(dir / "pack.ARC")},
                                      {"{out}", Q(dir / "out")}, {"{types}", Q(dir / "types.txt")},
                                      {"{dir}", Q(dir.path())}})
        for (std::size_t at; (at = args.find(name)) != std::string::npos;) args.replace(at, name.size(), value);
    return args;
}

// Each run's exit code, its messages on stderr, what it prints on stdout, the
// files it writes under dest, the archive afterwards and nothing else left
// beside it. Extract writes all entries into the archive's folders and named
// keys (raw on request) straight into dest; failures still do the rest. Import
// replaces the entries whose exported file changed, in one rewrite; with --add
// it adds the others. Under a file-size limit a write fails like a full disk;
// output that cannot be written fails the run.
TEST(CliRunTest, ExitCodesMessagesFilesAndArchive) {
    const ArcPlan layout = Layout();
    ArcPlan damaged = Layout();
    damaged.records[0].data = "not a zlib stream at all";
    ArcPlan outOfOrder = Layout();
    outOfOrder.records[2].offset = 8 + 3 * 80;  // inside the gap, before the first entry's data
    ArcPlan twoLogos = Layout();
    twoLogos.records.push_back(Entry("other\\logo", 0x1A, "another logo"));  // exports as logo.png too
    ArcPlan wrongMagic = Layout();
    wrongMagic.magic = std::string("arc\0", 4);
    ArcPlan problem = Layout();
    problem.records[2].orgSize = 10;  // inflates to more than recorded
    const std::string table = "\xE6\x95\xB0\xE6\x8D\xAE/\xE8\xA1\xA8.77";  // 数据/表.77
    using Files = std::vector<std::pair<std::string, std::string>>;
    const Files toAdd = {{"ui/logo.png", "new"}, {"extra/x.txt", "x"}};
    const Files deep = {{Repeat("d/", 70) + "x.txt", "x"}};  // 70 folders deep
    const ArcPlan created = Archive({Entry("extra\\x", 0x20, "x"), Entry("ui\\logo", 0x1A, "new")});  // from toAdd
    const std::string noise = Noise(20000);  // a source whose archive outgrows the file-size limit
    // 4 blocks of 512 bytes: room for the small files, not for the 5000-byte entry or the new archive.
    const std::string limit = "ulimit -f 4; ";
    const struct {
        ArcPlan layout;
        std::string args;  // {arc}, {out}, {types} and {dir} stand for the run's paths
        int exitCode;
        bool wholeErr;     // err is the whole of stderr, else a part of it
        std::string err;   // "{dir}" stands for the run's folder
        Files files = {};                   // under dest, and their bytes
        std::string out = "";               // the whole of stdout
        Files in = {};                      // written under {dir}/in beforehand
        std::optional<ArcPlan> after = {};  // the archive afterwards; none: left as it was
        std::string written = "pack.ARC";   // the archive written, in {dir}
        std::string shell = "";             // run first in the same shell
    } runs[] = {
        {layout, "extract {arc} {out} --types {types}", 0, true, "全部资源文件导出完成。\n",
         {{"ui/logo.png", "logo bytes, logo bytes"}, {"ui/deep/doc.txt", "a text file"}, {table, std::string(5000, 'z')}}},
        {layout, "extract {arc} {out} --raw --types {types} 'ui\\deep\\doc.20' 'ui\\logo.1A'", 0, true,
         "资源文件导出完成。\n资源文件导出完成。\n",
         {{"doc.txt", layout.records[1].data}, {"logo.png", layout.records[0].data}}},
        {layout, "extract {arc} {out} --types {types} 'nope.1A' 'ui\\logo.1A'", 1, false,
         "档案中没有这个条目，KEY：nope.1A", {{"logo.png", "logo bytes, logo bytes"}}},
        {twoLogos, "extract {arc} {out} --types {types} 'ui\\logo.1A' 'other\\logo.1A' 'ui\\logo.1A'", 1, false,
         "这个文件已由本次导出的另一个条目写入，后一个条目未导出：", {{"logo.png", "logo bytes, logo bytes"}}},
        {damaged, "extract {arc} {out} --types {types}", 1, false,
         "导出文件时发生错误，KEY：ui\\logo.1A\n\n数组取数据不正确。",
         {{"ui/deep/doc.txt", "a text file"}, {table, std::string(5000, 'z')}}},
        {damaged, "extract {arc} {out} --types {types} 'ui\\logo.1A'", 1, false, "数组取数据不正确。"},
        {layout, "replace {arc} 'ui\\deep\\doc.20' {dir}/src.bin", 0, true, "替换完成。\n", {}, "", {},
         Replaced({{1, "new"}})},
        {layout, "replace {arc} nope.1A {dir}/src.bin", 1, false, "档案中没有这个条目，KEY：nope.1A"},
        {outOfOrder, "replace {arc} 'ui\\logo.1A' {dir}/src.bin", 1, false,
         "档案的数据布局不符合替换的要求，档案未作改动："},
        {layout, "import {arc} {dir}/in --types {types}", 0, true, "", {}, "ui\\logo.1A\n数据\\表.77\n",
         {{"ui/logo.png", "new"}, {"ui/deep/doc.txt", "a text file"}, {table, "t2"}}, Replaced({{0, "new"}, {2, "t2"}})},
        {layout, "import {arc} {dir}/in --types {types} --dry-run", 0, true, "", {}, "ui\\logo.1A\n",
         {{"ui/logo.png", "new"}}},
        {outOfOrder, "import {arc} {dir}/in --types {types} --dry-run", 1, false,
         "档案的数据布局不符合替换的要求，档案未作改动：", {}, "", {{"ui/logo.png", "new"}}},
        {layout, "import {arc} {dir}/in --types {types}", 0, false, "没有对应的对象，已跳过：ui/logo.txt", {}, "",
         {{"ui/logo.txt", "?"}}},
        {layout, "import {arc} {dir}/in --types {types}", 1, false, "无法读取目录："},
        {layout, "verify {arc}", 0, true, "", {}, "共 3 个条目，未发现问题。\n"},
        {problem, "verify {arc}", 1, true, "", {},
         "解压后的数据多于记录的原始大小（缓冲过小，请检查。），KEY：数据\\表.77\n共 3 个条目，发现 1 处问题。\n"},
        // The verbs name the archive and why it could not be opened.
        {wrongMagic, "extract {arc} {out}", 1, false, "pack.ARC：不是 ARC 档案"},
        {wrongMagic, "replace {arc} a.1 {dir}/src.bin", 1, false, "pack.ARC：不是 ARC 档案"},
        {layout, "verify {dir}/absent.ARC", 1, false, "absent.ARC：不存在（错误 53）"},
        {layout, "add {arc} 'new\\n.20' {dir}/src.bin", 0, true, "", {}, "", {},
         Rewritten([](ArcPlan& p) { p.records.push_back(Entry("new\\n", 0x20, "new")); })},
        {layout, "add {arc} 'ui\\logo.1a' {dir}/src.bin", 1, false, "档案中已有这个条目"},
        {layout, "delete {arc} 'ui\\logo.1A'", 0, true, "", {}, "", {},
         Rewritten([](ArcPlan& p) { p.records.erase(p.records.begin()); })},
        {layout, "delete {arc} 'ui\\logo.1A' nope.1", 1, false, "KEY：nope.1"},
        {layout, "rename {arc} 'ui\\logo.1A' 'ui\\icon.1B'", 0, true, "", {}, "", {},
         Rewritten([](ArcPlan& p) { p.records[0].name = "ui\\icon", p.records[0].typeCode = 0x1B; })},
        {layout, "cat {arc} 'ui\\deep\\doc.20'", 0, true, "", {}, "a text file"},
        {layout, "cat {arc} 'ui\\logo.1A' --raw", 0, true, "", {}, layout.records[0].data},
        {layout, "cat {arc} nope.1A", 1, false, "KEY：nope.1A"},
        {layout, "import {arc} {dir}/in --types {types} --add", 0, true, "", {}, "ui\\logo.1A\n+extra\\x.20\n", toAdd,
         Rewritten([](ArcPlan& p) {
             p.records[0] = Entry("ui\\logo", 0x1A, "new");
             p.records.push_back(Entry("extra\\x", 0x20, "x"));
         })},
        {layout, "create {dir}/new.arc {dir}/in --types {types}", 0, true, "", {}, "", toAdd, created, "new.arc"},
        {layout, "create {arc} {dir}/in --types {types}", 1, false, "档案已存在，不会覆盖", {}, "", toAdd},
        // A file below a folder past the walk's depth is refused, not skipped (create's own tests show it there).
        {layout, "import {arc} {dir}/in --types {types} --add", 1, false, "文件夹层级超过 64 层", {}, "", deep},
#ifndef _WIN32
        // A key of bytes that are not valid code page 936 is named by those bytes, not by their escapes.
        {layout, "cat {arc} 'a\x80\xFF.1A'", 1, false, "KEY：a\x80\xFF.1A"},
        {layout, "extract {arc} {out} --types {types}", 1, false, "磁盘已满（错误 61）",
         {{"ui/logo.png", "logo bytes, logo bytes"}, {"ui/deep/doc.txt", "a text file"}}, "", {}, {}, "pack.ARC", limit},
        {layout, "replace {arc} 'ui\\logo.1A' {dir}/in/noise", 1, false,
         "写入新档案时出错，原档案未作改动：{dir}/pack.ARC：磁盘已满（错误 61）", {}, "", {{"noise", noise}}, {},
         "pack.ARC", limit},
        {layout, "list pack.ARC --types types.txt", 0, true, "", {},
         "ARC File: pack.ARC\nARC Version: 7\n发现 3 个对象\nui\\logo.1A\tlogo.png\tstored 22\toriginal 22\toffset 255\n"
         "ui\\deep\\doc.20\tdoc.txt\tstored 19\toriginal 11\toffset 277\n"
         "数据\\表.77\t表.77\tstored 28\toriginal 5000\toffset 296\n",
         {}, {}, "pack.ARC", "cd {dir} && "},
        // Output cut short on a full device, through stdio and through iostreams.
        {layout, "list {arc} --types {types} >/dev/full", 1, false, "无法写出标准输出，输出不完整。"},
        {layout, "verify {arc} >/dev/full", 1, false, "无法写出标准输出，输出不完整。"},
#endif
    };
    for (const auto& r : runs) {
        SCOPED_TRACE(r.shell + r.args);
        TempDir dir;
        WriteFiles(dir.path(), {{"pack.ARC", BuildArc(r.layout)}, {"types.txt", "1A:png\r\n20:txt\r\n"}, {"src.bin", "new"}});
        WriteFiles(dir / "in", r.in);
        const CliRun run = Cli(Substitute(r.args, dir), dir, Substitute(r.shell, dir));
        EXPECT_EQ(run.exitCode, r.exitCode) << run.err;
        std::string err = r.err;
        if (const auto at = err.find("{dir}"); at != std::string::npos) err.replace(at, 5, dir.path());
        if (r.wholeErr) EXPECT_EQ(run.err, err);
        else EXPECT_NE(run.err.find(err), std::string::npos) << run.err;
        EXPECT_EQ(run.out, r.out);
        // Exactly the files listed, nothing else below dest (no temporary either).
        EXPECT_EQ(FilesBelow(dir / "out"), FileTree(r.files.begin(), r.files.end()));
        EXPECT_EQ(ReadFileBytes(dir / r.written), BuildArc(r.after.value_or(r.layout)));
        const std::set<std::string> known = {"pack.ARC", "types.txt", "src.bin", "stderr.txt", "out", "in", r.written};
        for (const std::string& name : FolderListing(dir.path())) EXPECT_EQ(known.count(name), 1u) << name;
    }
}

}  // namespace
}  // namespace tessarin::testing
