// Adding, deleting and renaming entries: the rewritten archive byte for byte
// against one laid out independently, or the refusal, which leaves the archive
// as it was; either way no other file is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "edit/EditEntries.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

using Command = std::function<bool(Program&)>;

// Adds key from the archive's path + source.
Command Add(std::string key, std::string source = ".src") {
    return [=](Program& p) { return AddEntry(p, key, p.arc.OpenArcPath + source); };
}
Command Delete(std::vector<std::string> keys) {
    return [=](Program& p) { return DeleteEntries(p, DeleteRequest{keys}); };
}
Command Rename(std::string from, std::string to) {
    return [=](Program& p) { return RenameEntry(p, from, to); };
}

TEST(EditEntriesTest, EachEditWritesTheExpectedArchiveOrLeavesItAsItWas) {
    // A gap after the directory, bytes after the first entry's data and a trailer.
    ArcPlan layout = Archive({Entry("ui\\logo", 0x1A, std::string(300, 'a')), Entry("data\\t", 0x20, "some text"),
                              Entry("top", 5, Noise(700))});
    layout.version = 3;
    layout.records[0].data += "SLACK";
    layout.records[0].storedSize = static_cast<std::int32_t>(layout.records[0].data.size() - 5);
    layout.gap = "GAP";
    layout.trailer = "TRAILER";
    ArcPlan noFirst = layout;  // what every rewrite does besides its own change
    noFirst.version = 7;
    noFirst.gap.assign(noFirst.gap.size(), '\0');
    ArcPlan noMiddle = noFirst, renamed = noFirst, added = noFirst, addedByTypeName = noFirst;
    const ArcPlan empty;  // no gap or trailer is kept once no entry is left
    noFirst.records.erase(noFirst.records.begin());
    noFirst.gap.append(5, '\0');  // the first entry's slack falls into the gap
    noMiddle.records.erase(noMiddle.records.begin() + 1);
    renamed.records[1].name = "\xCE\xC4\\b2";  // a double-byte name makes the record one byte longer
    renamed.records[1].typeCode = 0x21;
    added.records.push_back(Entry("new\\n", 0x20, "added data"));
    addedByTypeName.records.push_back(Entry("n", 0x1A, "added data"));
    const struct {
        const char* label;
        Command command;
        const ArcPlan* expected;  // the archive written, or none when refused
        const char* message = nullptr;  // part of the one message a refusal shows
    } rows[] = {
        {"delete the first", Delete({"ui\\logo.1A"}), &noFirst},
        {"delete the middle", Delete({"data\\t.20", "data\\t.20"}), &noMiddle},
        {"delete all", Delete({"top.5", "ui\\logo.1A", "data\\t.20"}), &empty},
        {"rename to a double-byte name and another code", Rename("data\\t.20", "文\\b2.21"), &renamed},
        {"add, code with a leading zero", Add("new\\n.020"), &added},
        {"add a key already there", Add("top.5"), nullptr, "档案中已有这个条目，KEY：top.5"},
        {"add a character code page 936 lacks", Add("a\xF0\x9F\x98\x80.5"), nullptr, "代码页 936 无法表示"},
        {"add an empty folder part", Add("a\\\\b.5"), nullptr, "空的部分，KEY：a\\\\b.5"},
        {"add with a type's name", Add("n.PNG"), &addedByTypeName},
        {"add a key without a known type", Add("top.zzz"), nullptr, "格式不正确（应为 名称.类型名或十六进制类型代码），KEY：top.zzz"},
        {"add into the parent folder", Add("..\\x.1A"), nullptr, "文件名不是导出会写出的名称，KEY：..\\x.1A"},
        {"add with a slash", Add("a/x.1A"), nullptr, "文件名不是导出会写出的名称"},
        {"add with a drive", Add("c:x.1A"), nullptr, "文件名不是导出会写出的名称"},
        {"add into the folder itself", Add(".\\x.1A"), nullptr, "文件名不是导出会写出的名称"},
        {"add through a parent part", Add("a\\..\\x.1A"), nullptr, "文件名不是导出会写出的名称"},
        {"rename into the parent folder", Rename("top.5", "..\\x.1A"), nullptr, "文件名不是导出会写出的名称，KEY：..\\x.1A"},
        {"add two sources of one key",
         [](Program& p) {
             const std::string source = p.arc.OpenArcPath + ".src";
             return AddEntries(p, AddRequest{{{"x.1A", source}, {"x.01a", source}}});
         },
         nullptr, "两个文件对应同一个对象，KEY：x.1A"},
        {"add a missing source", Add("b.5", ".none"), nullptr, "无法读取文件："},
        {"add a source of 1 GiB", Add("b.5", ".big"), nullptr, "文件太大"},
        {"delete one key of two missing", Delete({"top.5", "gone.5"}), nullptr, "档案中没有这个条目，KEY：gone.5"},
        {"rename a missing key", Rename("gone.5", "b.5"), nullptr, "档案中没有这个条目，KEY：gone.5"},
        {"rename onto another entry", Rename("top.5", "data\\t.20"), nullptr, "档案中已有这个条目，KEY：data\\t.20"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(layout);
        WriteFileBytes(path + ".src", "added data");
        WriteFileBytes(path + ".big", "");
        std::filesystem::resize_file(NativePath(path + ".big"), std::uintmax_t{1} << 30);  // sparse
        const std::string before = ReadFileBytes(path);
        h.window.ClearLog();
        EXPECT_EQ(row.command(h.program), row.expected != nullptr) << ::testing::PrintToString(h.window.log);
        EXPECT_EQ(ReadFileBytes(path), row.expected ? BuildArc(*row.expected) : before);
        // The records in memory are those read back, so they are the expected ones too.
        EXPECT_EQ(RecordsOnDisk(h.program), Records(h.program.arc.ArcEntries));
        const auto boxes = h.window.Calls("MsgBox");
        ASSERT_EQ(boxes.size(), row.expected ? 0u : 1u) << ::testing::PrintToString(boxes);
        if (row.message) {
            EXPECT_NE(boxes[0].find(row.message), std::string::npos) << boxes[0];
        }
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"pack.ARC", "pack.ARC.big", "pack.ARC.src"}));
    }
}

}  // namespace
}  // namespace tessarin::testing
