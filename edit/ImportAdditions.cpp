#include "edit/ImportAdditions.h"

#include <limits>

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/MessageTexts.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"
#include "edit/FileEntries.h"

namespace tessarin {

bool PlanImportAdditions(Program& program, ImportPlan& plan) {
    plan.added.clear();
    FileEntryList list = EntriesOfFiles(plan.strays, program.ExtTypes);
    for (const std::string& deep : plan.tooDeep) list.refusals.push_back(std::string(kTooDeepText) + "：" + deep);
    for (const FileEntry& entry : list.entries) {
        if (FindEntryByKey(program.arc.ArcEntries, entry.key) != nullptr) {
            list.refusals.push_back("档案中已有这个条目，KEY：" + entry.key + "（" + entry.file + "）");
            continue;
        }
        try {
            if (OpenFileBelow(plan.folder, entry.file).Length() >= kOrgSizeBias)
                list.refusals.push_back(std::string(kTooLargeText) + "：" + entry.file);
        } catch (const VbError& error) {
            program.ui.MsgBox(FileFailureText("无法读取文件：", plan.folder + "/" + entry.file, error), MsgIcon::Stop,
                              kProgramTitle);
            return false;
        }
    }
    if (!list.refusals.empty()) {
        ShowRefusals(program.ui, "以下文件不能添加到档案，档案未作改动：", list.refusals);
        return false;
    }
    if (program.arc.ArcEntries.size() + list.entries.size() >
        static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        program.ui.MsgBox("添加后条目数超过 32767，档案未作改动。", MsgIcon::Warning, kProgramTitle);
        return false;
    }
    SortForNewArchive(list.entries);
    const ExtTypeIndex types(program.ExtTypes);
    for (const FileEntry& entry : list.entries) plan.added.push_back({entry.file, RecordOf(entry, types)});
    return true;
}

}  // namespace tessarin
