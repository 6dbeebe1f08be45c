#pragma once
// The window's comparison of the open archive with a second one, the patch
// archive of the differences, and the merge of a patch archive into the open
// archive (one rewrite, kept for 撤销 like every other change).
#include <memory>
#include <string>
#include <vector>

#include "extract/ArchiveCompare.h"
#include "state/Program.h"

namespace tessarin {

// One row of the differences, as the window lists them.
struct DifferenceRow {
    std::string key;
    EntryChange change = EntryChange::Changed;
    std::int64_t sizeA = -1;  // original sizes; -1 for the side without the entry
    std::int64_t sizeB = -1;
    std::string damage;       // why a damaged entry does not inflate, with its side
};

// The open archive (A) against another (B), held open for the patch.
struct ArchiveDifferences {
    std::string otherPath;
    ReadOnlyArchive other;
    ArchiveComparison comparison;
    std::vector<DifferenceRow> rows;
};

// "添加", "删除", "修改", "损坏".
std::string ChangeText(EntryChange change);

// Whether an archive is open to compare; false after a message.
bool ReadyToCompare(Program& program);

// Compares the open archive with the archive at otherPath as long work the
// user can stop. Null after a message, or when stopped.
std::unique_ptr<ArchiveDifferences> CompareWithOpenArchive(Program& program, const std::string& otherPath);

// Writes the patch archive of B's added and changed entries at patchPath.
bool WriteDifferencesPatch(Program& program, ArchiveDifferences& differences, const std::string& patchPath);

// 合并补丁档案: asks for a patch archive, checks it, says how many entries it
// replaces and adds and asks to go on; then one rewrite, the tree rebuilt.
bool MergePatchArchive(Program& program);

}  // namespace tessarin
