#include "edit/PatchArchive.h"

#include "core/platform/FileTransfer.h"
#include "edit/EditMessages.h"
#include "edit/NewArchiveFile.h"

namespace tessarin {

bool WritePatchArchive(Program& program, const ComparedArchive& b, const ArchiveComparison& comparison,
                       const std::string& patchPath) {
    std::vector<std::string> refusals;
    RewritePlan plan;
    BinaryFile& from = b.file;
    for (const EntryDifference& d : comparison.differences) {
        if (d.indexB == kNoEntry) continue;
        if (!d.damageB.empty()) {
            refusals.push_back(d.damageB + "，KEY：" + d.key);
            continue;
        }
        const ARCFileCls& entry = b.entries[d.indexB];
        plan.appended.push_back({entry, [&program, &from, &entry](BinaryFile& out) {
            PollNewArchiveStop(program);
            CopyBetweenFiles(from, entry.ArcFileOFSET, entry.ArcFileZipSize, out);
            return entry.ArcFileOrgSize;
        }});
    }
    if (!refusals.empty()) {
        ShowRefusals(program.ui, "以下条目已损坏，未写补丁档案：", refusals);
        return false;
    }
    return NewArchivePathFree(program, patchPath) && WriteArchiveFile(program, plan, patchPath);
}

}  // namespace tessarin
