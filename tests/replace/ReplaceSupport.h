#pragma once
// Shared steps of the replacement tests: run the command against an archive
// opened through the recording window, and the archive the layout says it must
// leave, built independently with ArcBuilder.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ArcReader.h"
#include "replace/Replace.h"
#include "support/ArcBuilder.h"
#include "support/Listings.h"
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

// The archive the import tests start from: nested folders, a type code with
// no name (5), bytes after an entry's data, an empty entry, a gap and a trailer.
inline ArcPlan ImportLayout() {
    ArcPlan s = Archive({Entry("ui\\logo", 0x1A, "logo"), Entry("ui\\deep\\doc", 0x20, Noise(3000, 5)),
                         Entry("top", 5, "top entry"), Stored("empty", 0x20, "", 0)});
    s.records[2].data += "KEPT";
    s.records[2].storedSize = static_cast<std::int32_t>(s.records[2].data.size() - 4);
    s.gap = "GAP";
    s.trailer = "TRAILER";
    return s;
}

// The directory as read back through the program's own open file number.
inline std::vector<std::string> RecordsOnDisk(Program& program) {
    ArcEntryList entries;
    ArcReadReceiver ignore;
    EXPECT_EQ(ReadArcDirectory(program.files.Get(program.arc.ArcFileNum), program.ExtTypes, entries, ignore).status,
              ArcReadResult::Status::Ok);
    return Records(entries);
}

}  // namespace tessarin::testing
