// The patch archive of a comparison and merging one into the open archive:
// the bytes against archives laid out independently, the refusals (after
// which nothing is written), and merge broken at each step of its file work.
#include <gtest/gtest.h>

#include "edit/MergePatch.h"
#include "edit/PatchArchive.h"
#include "replace/ReplaceSupport.h"
#include "support/FaultSweep.h"

namespace tessarin::testing {
namespace {

// Compares a with b (checking B's added entries) and writes the patch at dir/patch.arc.
bool WritePatch(ProgramHarness& h, const ArcPlan& a, const ArcPlan& b) {
    WriteFileBytes(h.dir / "a.arc", BuildArc(a));
    WriteFileBytes(h.dir / "b.arc", BuildArc(b));
    std::string failure;
    auto ra = OpenReadOnlyArchive(h.dir / "a.arc", {}, failure);
    auto rb = OpenReadOnlyArchive(h.dir / "b.arc", {}, failure);
    EXPECT_TRUE(ra && rb) << failure;
    CompareOptions options;
    options.checkAdded = true;
    const ArchiveComparison comparison = CompareArchives({ra->file, ra->entries}, {rb->file, rb->entries}, options);
    return WritePatchArchive(h.program, {rb->file, rb->entries}, comparison, h.dir / "patch.arc");
}

TEST(PatchArchiveTest, BsAddedAndChangedEntriesWithTheirStoredBytes) {
    const ArcPlan a = Archive({Entry("keep", 1, "same"), Entry("ui\\change", 0x1A, "old"), Entry("gone", 1, "g"),
                               Entry("recompressed", 1, "text")});
    const RecordPlan added = Stored("\xCA\xFD\\new", 0x77, StoredBlocks("added"), 5);
    ArcPlan b = Archive({added, Entry("recompressed", 1, "text"), Entry("keep", 1, "same"), Entry("ui\\change", 0x1A, "new!")});
    b.records[1].data = StoredBlocks("text");
    b.gap = "GAP";
    const ArcPlan expected = Archive({added, Entry("ui\\change", 0x1A, "new!")});
    {
        ProgramHarness h;
        ASSERT_TRUE(WritePatch(h, a, b)) << ::testing::PrintToString(h.window.log);
        EXPECT_EQ(ReadFileBytes(h.dir / "patch.arc"), BuildArc(expected));
        // Written only where nothing is: a second patch at that name is refused.
        ASSERT_FALSE(WritePatch(h, a, b));
        EXPECT_EQ(ReadFileBytes(h.dir / "patch.arc"), BuildArc(expected));
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"a.arc", "b.arc", "patch.arc"}));
    }
    // An entry of B that would go in but does not inflate: nothing is written.
    b.records[0] = Stored("\xCA\xFD\\new", 0x77, "junk", 5);
    ProgramHarness h;
    EXPECT_FALSE(WritePatch(h, a, b));
    EXPECT_EQ(h.window.Calls("MsgBox").size(), 1u);
    EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{"a.arc", "b.arc"}));
}

ArcPlan MergeTarget() {
    ArcPlan layout = Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("top", 5, "top entry"), Stored("empty", 0x20, "", 0)});
    layout.gap = "GAP";
    layout.trailer = "TRAILER";
    return layout;
}

// Stored blocks: no writer of this program would make these bytes.
ArcPlan Patch() {
    return Archive({Stored("added", 0x20, StoredBlocks("a new entry"), 11), Stored("top", 5, StoredBlocks("new top"), 7)});
}

bool Merge(ProgramHarness& h) {
    MergePlan plan;
    return PlanMerge(h.program, h.dir / "patch.arc", plan) && ApplyMerge(h.program, plan);
}

// The merge writes the patch's stored bytes; broken at any step of its file work it changes nothing.
TEST(MergePatchTest, ReplacesAndAddsWithThePatchsStoredBytesOrChangesNothing) {
    ArcPlan expected = MergeTarget();
    expected.gap = std::string(3, '\0');
    expected.records[1] = Patch().records[1];
    expected.records.push_back(Patch().records[0]);
    const ArchiveCommand command{[](ProgramHarness& h) {
                                     h.OpenArchive(MergeTarget());
                                     WriteFileBytes(h.dir / "patch.arc", BuildArc(Patch()));
                                 },
                                 Merge, {"pack.ARC", "patch.arc"}};
    ProgramHarness h;
    command.prepare(h);
    MergePlan plan;
    ASSERT_TRUE(PlanMerge(h.program, h.dir / "patch.arc", plan));
    EXPECT_EQ(plan.replaced, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 1}}));
    EXPECT_EQ(plan.added, std::vector<std::size_t>{0});
    ASSERT_TRUE(ApplyMerge(h.program, plan)) << ::testing::PrintToString(h.window.log);
    EXPECT_EQ(ReadFileBytes(h.dir / "pack.ARC"), BuildArc(expected));
    EXPECT_EQ(h.program.arc.ArcEntries.back().ArcFileKey, "added.20");
    ExpectEachFaultChangesNothing("merge", command, BuildArc(expected));
}

TEST(MergePatchTest, ADamagedOrUnreadablePatchIsRefusedAndNothingWritten) {
    const auto patchOf = [](std::vector<RecordPlan> records, std::optional<std::int16_t> count = {}) {
        ArcPlan p = Archive(std::move(records));
        p.count = count;
        return BuildArc(p);
    };
    const struct {
        const char* label;
        std::optional<std::string> patch;  // nullopt: no file at all
        std::string shown;                 // in the one message
    } cases[] = {
        {"missing", std::nullopt, "无法读取补丁档案："},
        {"not an archive", "plain text", "文件类型不正确"},
        {"directory cut short", patchOf({Entry("x", 1, "x")}, 3), "无法读取补丁档案："},
        {"a stream that does not inflate", patchOf({Entry("fine", 1, "ok"), Stored("bad", 1, "junk", 3)}), "KEY：bad.1"},
        {"a stream cut short", patchOf({Stored("cut", 1, Deflate("abcd").substr(0, 8), 4)}), "截断，KEY：cut.1"},
        {"fewer bytes than recorded", patchOf({Stored("short", 1, Deflate("ab"), 9)}), "少于记录的原始大小 9 字节，KEY：short.1"},
        {"data past the end", patchOf({Stored("past", 1, Deflate("ab"), 2, {}, 0x7FFFFF00)}), "KEY：past.1"},
        {"a key twice", patchOf({Entry("twice", 1, "1"), Entry("twice", 1, "2")}), "两个相同的条目，KEY：twice.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ProgramHarness h;
        h.OpenArchive(MergeTarget());
        if (c.patch) WriteFileBytes(h.dir / "patch.arc", *c.patch);
        const auto listing = FolderListing(h.dir.path());
        EXPECT_FALSE(Merge(h));
        const auto boxes = h.window.Calls("MsgBox");
        ASSERT_EQ(boxes.size(), 1u) << ::testing::PrintToString(boxes);
        EXPECT_NE(boxes[0].find(c.shown), std::string::npos) << boxes[0];
        EXPECT_EQ(ReadFileBytes(h.dir / "pack.ARC"), BuildArc(MergeTarget()));
        EXPECT_EQ(FolderListing(h.dir.path()), listing);
    }
}

}  // namespace
}  // namespace tessarin::testing
