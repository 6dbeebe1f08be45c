// Adding, replacing or importing a large source: its deflate is part of the long
// work. The bar moves while it runs, and a stop ends it after the block in
// hand, leaving the archive as it was and nothing beside it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "edit/EditEntries.h"
#include "replace/Import.h"
#include "app/WindowHarness.h"
#include "replace/StreamDeflate.h"

namespace tessarin::testing {
namespace {

constexpr std::int64_t kSourceSize = 8 << 20;  // 32 blocks of the deflate
constexpr std::int64_t kFirstBlock = 256 << 10;

TEST(LargeSource, TheBarMovesWhileItIsDeflatedAndAStopEndsTheDeflate) {
    const auto add = [](ProgramHarness& h, const std::string& source) { AddEntry(h.program, "big.20", source); };
    const struct {
        const char* label;
        std::function<void(ProgramHarness&, const std::string&)> run;
        bool stop;
        const char* source = "big.txt";  // below the harness's folder
        std::vector<std::string> boxes = {"MsgBox | 已停止，档案未作改动。 | Information | Tessarin"};
    } rows[] = {
        {"add, stopped", add, true},
        {"replace, stopped",
         [](ProgramHarness& h, const std::string& source) {
             h.SelectNode("small.20");
             EXPECT_FALSE(RunReplace(h, source));
         },
         true},
        {"import, stopped",
         [](ProgramHarness& h, const std::string&) {
             ImportPlan plan;
             ASSERT_TRUE(PlanImport(h.program, h.dir / "in", plan));
             EXPECT_FALSE(ApplyImport(h.program, plan));
         },
         true, "in/small.txt", {}},
        {"add, to the end", add, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ProgramHarness h;
        const std::string path = h.OpenArchive(Archive({Entry("small", 0x20, "small")})), before = ReadFileBytes(path);
        WriteFiles(h.dir.path(), {{row.source, std::string(static_cast<std::size_t>(kSourceSize), 'x')}});

        // The deflate holds after its first block until the window has shown
        // it (a few seconds at most, so a window that cannot show it fails).
        std::atomic<std::int64_t> deflated{0};
        std::atomic<bool> shown{false};
        SetDeflateBlockHookForTesting([&](std::int64_t read) {
            deflated = read;
            for (int i = 0; read == kFirstBlock && !shown && i < 500; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
        h.window.onDoEvents = [&] {
            // While the deflate holds: the old data is a few bytes, so the bar
            // is off zero by the source's bytes alone.
            if (deflated == kFirstBlock && h.window.bars[2].value > 0 && h.window.bars[2].visible) {
                shown = true;
                h.window.stopRequested |= row.stop;
            }
        };
        row.run(h, h.dir / row.source);
        SetDeflateBlockHookForTesting({});

        EXPECT_TRUE(shown) << "the bar stood still while the source was deflated";
        EXPECT_TRUE(h.window.mainEnabled && !h.window.longWork && !h.window.bars[2].visible);
        const std::string top = std::string(row.source).substr(0, std::string(row.source).find('/'));
        EXPECT_EQ(FolderListing(h.dir.path()), (std::vector<std::string>{top, "pack.ARC"}));
        if (row.stop) {
            EXPECT_LT(deflated, kSourceSize) << "the deflate went on after the stop";
            EXPECT_EQ(ReadFileBytes(path), before);
            EXPECT_EQ(h.window.Calls("MsgBox"), row.boxes);
        } else {
            ASSERT_EQ(h.program.arc.ArcEntries.size(), 2u);
            EXPECT_EQ(h.program.arc.ArcEntries[1].ArcFileOrgSize, kSourceSize);
            EXPECT_EQ(RecordsOnDisk(h.program), Records(h.program.arc.ArcEntries));
        }
    }
}

}  // namespace
}  // namespace tessarin::testing
