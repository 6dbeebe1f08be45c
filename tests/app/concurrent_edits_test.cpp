// Two programs editing one archive: the second one's edit, tried at each step
// of the first one's rewrite, is refused while the first holds the archive,
// and every edit reported done is in the archive at the end.
#include <gtest/gtest.h>

#include <optional>

#include "app/OpenClose.h"
#include "app/WindowHarness.h"
#include "core/ArcState.h"
#include "core/platform/FileIdentity.h"
#include "edit/EditEntries.h"
#include "replace/ReplaceSupport.h"

namespace tessarin::testing {
namespace {

bool Has(const Program& program, const std::string& key) { return FindEntryByKey(program.arc.ArcEntries, key) != nullptr; }

TEST(ConcurrentEditsTest, NoEditReportedDoneIsLost) {
    ArcPlan layout = Archive({Entry("d\\a", 0x20, "first"), Entry("d\\b", 0x20, "second")});
    // The first program deletes d\a; at its step `at` (0: before it opens the
    // archive) the second one opens the archive and adds n\x.
    for (int at = 0; at < 4; ++at) {
        SCOPED_TRACE(at);
        WindowHarness first;
        const std::string path = first.dir / "pack.ARC";
        WriteFileBytes(path, BuildArc(layout));
        WriteFileBytes(path + ".src", "added");
        WindowHarness second;
        std::optional<bool> secondDone;
        auto secondEdit = [&] {
            if (secondDone) return;
            second.Open(path);
            secondDone = second.program.ArchiveIsOpen() && AddEntry(second.program, "n\\x.20", path + ".src");
            UnLoadArcFile(second.program);  // the companion ends
        };
        int step = 0;
        auto maybe = [&] { if (++step == at) secondEdit(); };
        SetAfterLockHookForTesting(maybe);
        first.window.onDoEvents = maybe;
        if (at == 0) secondEdit();
        first.Open(path);
        const bool firstDone = first.program.ArchiveIsOpen() && DeleteEntries(first.program, DeleteRequest{{"d\\a.20"}});
        SetAfterLockHookForTesting(nullptr);
        UnLoadArcFile(first.program);
        ASSERT_TRUE(secondDone.has_value()) << "the second edit was never tried";

        WindowHarness reader;
        reader.Open(path);
        ASSERT_TRUE(reader.program.ArchiveIsOpen());
        EXPECT_TRUE(firstDone || *secondDone);
        EXPECT_EQ(Has(reader.program, "d\\a.20"), !firstDone);
        EXPECT_EQ(Has(reader.program, "n\\x.20"), *secondDone);
        EXPECT_TRUE(Has(reader.program, "d\\b.20"));
    }
}

}  // namespace
}  // namespace tessarin::testing
