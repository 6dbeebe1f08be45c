#pragma once
// Shared steps of the replacement tests: run the command against an archive
// opened through the recording window, and the archive the layout says it must
// leave, built independently with ArcBuilder.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/ArcReader.h"
#include "replace/Replace.h"
#include "support/ArcBuilder.h"
#include "support/ProgramHarness.h"

namespace tessarin::testing {

inline constexpr const char* kDone = "MsgBox | 替换完成。 | Information | Tessarin";

// The archive after record `target` got source: version 7, zeroed gap, the new
// stream in place of the old stored bytes (bytes after them are kept), later
// data shifted by the builder's own layout.
inline ArcPlan ExpectedAfterReplace(ArcPlan layout, std::size_t target, const std::string& source) {
    layout.version = 7;
    layout.count.reset();
    layout.gap.assign(layout.gap.size(), '\0');
    RecordPlan& r = layout.records[target];
    const std::size_t oldStored = r.storedSize ? static_cast<std::size_t>(*r.storedSize) : r.data.size();
    const std::string kept = r.data.substr(oldStored);
    const std::string stream = Deflate(source);
    r.data = stream + kept;
    r.storedSize = kept.empty() ? std::nullopt : std::optional<std::int32_t>(static_cast<std::int32_t>(stream.size()));
    r.orgSize = static_cast<std::int32_t>(source.size());
    r.orgField.reset();
    return layout;
}

// Answers the picker with path (NUL and filler after it, as the dialog does) and runs the command.
inline void RunReplace(ProgramHarness& h, const std::string& sourcePath) {
    h.window.openAnswers.push_back(sourcePath + std::string(1, '\0') + "filler");
    ReaplceFile(h.program, FakeWindow::kMainHandle);
}

// The directory as read back through the program's own open file number.
inline ArcEntryList ReadBackThroughOpenNumber(Program& program) {
    ArcEntryList entries;
    ArcReadReceiver ignore;
    const ArcReadResult result =
        ReadArcDirectory(program.files.Get(program.arc.ArcFileNum), program.ExtTypes, entries, ignore);
    EXPECT_EQ(result.status, ArcReadResult::Status::Ok);
    return entries;
}

inline void ExpectSameRecords(const ArcEntryList& actual, const ArcEntryList& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        EXPECT_EQ(actual[i].ArcFileKey, expected[i].ArcFileKey);
        EXPECT_EQ(actual[i].ArcFileName, expected[i].ArcFileName);
        EXPECT_EQ(actual[i].ArcFileTypeHex, expected[i].ArcFileTypeHex);
        EXPECT_EQ(actual[i].ArcFileZipSize, expected[i].ArcFileZipSize);
        EXPECT_EQ(actual[i].ArcFileOrgSize, expected[i].ArcFileOrgSize);
        EXPECT_EQ(actual[i].ArcFileOFSET, expected[i].ArcFileOFSET);
    }
}

// Names in a folder, "." and ".." left out.
inline std::vector<std::string> FolderListing(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace tessarin::testing
