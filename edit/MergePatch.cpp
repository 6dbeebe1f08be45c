#include "edit/MergePatch.h"

#include <limits>
#include <unordered_map>
#include <unordered_set>

#include "core/ArcReader.h"
#include "core/ArcState.h"
#include "core/MessageTexts.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"
#include "extract/ArchiveCompare.h"
#include "extract/EntrySource.h"
#include "replace/Replace.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

constexpr const char* kPatchUnreadable = "无法读取补丁档案：";

void ShowPatchFailure(Program& program, const std::string& path, const VbError& error) {
    program.ui.MsgBox(FileFailureText(kPatchUnreadable, path, error), MsgIcon::Stop, kProgramTitle);
}

bool ReadPatchDirectory(Program& program, MergePlan& plan) {
    try {
        plan.patch = BinaryFile::Open(plan.patchPath, OpenMode::ReadShared);
    } catch (const VbError& error) {
        ShowPatchFailure(program, plan.patchPath, error);
        return false;
    }
    ArcReadReceiver quiet;
    const ArcReadResult read = ReadArcDirectory(plan.patch, program.ExtTypes, plan.patchEntries, quiet);
    if (read.status == ArcReadResult::Status::WrongMagic) {
        program.ui.MsgBox(std::string("补丁档案的") + kWrongTypeText + "，档案未作改动：" + plan.patchPath,
                          MsgIcon::Warning, kProgramTitle);
        return false;
    }
    if (read.status != ArcReadResult::Status::Ok) {
        ShowPatchFailure(program, plan.patchPath, VbError(read.errorNumber, read.errorDescription));
        return false;
    }
    return true;
}

// Every entry inflates to its recorded size and no key comes twice; false
// after a message, or when stopped.
bool CheckPatchEntries(Program& program, MergePlan& plan) {
    std::vector<std::string> refusals;
    std::unordered_set<std::string> keys;
    for (const ARCFileCls& entry : plan.patchEntries) {
        if (!keys.insert(entry.ArcFileKey).second) refusals.push_back("补丁档案中有两个相同的条目，KEY：" + entry.ArcFileKey);
        try {
            if (std::string damage = EntryDamage(plan.patch, entry, true); !damage.empty())
                refusals.push_back(damage + "，KEY：" + entry.ArcFileKey);
        } catch (const ArchiveReadFailure& failure) {
            ShowPatchFailure(program, plan.patchPath, failure.error);
            return false;
        }
        program.ui.DoEvents();
        if (LongWork::StopWanted(program)) return false;
    }
    if (!refusals.empty()) {
        ShowRefusals(program.ui, "补丁档案有以下问题，档案未作改动：", refusals);
        return false;
    }
    return true;
}

}  // namespace

bool PlanMerge(Program& program, const std::string& patchPath, MergePlan& plan) {
    plan = MergePlan{};
    plan.patchPath = patchPath;
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox("档案没有成功打开，无法修改。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    if (!ReadPatchDirectory(program, plan) || !CheckPatchEntries(program, plan)) return false;
    const ArcEntryList& entries = program.arc.ArcEntries;
    std::unordered_map<std::string_view, std::size_t> patchIndex;
    for (std::size_t p = 0; p < plan.patchEntries.size(); ++p) patchIndex.emplace(plan.patchEntries[p].ArcFileKey, p);
    std::vector<bool> replacing(plan.patchEntries.size(), false);
    // An archive holding one key twice has its first entry of that key replaced.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto found = patchIndex.find(entries[i].ArcFileKey);
        if (found == patchIndex.end() || replacing[found->second]) continue;
        replacing[found->second] = true;
        plan.replaced.emplace_back(i, found->second);
    }
    for (std::size_t p = 0; p < plan.patchEntries.size(); ++p)
        if (!replacing[p]) plan.added.push_back(p);
    if (entries.size() + plan.added.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        program.ui.MsgBox("添加后条目数超过 32767，档案未作改动。", MsgIcon::Warning, kProgramTitle);
        return false;
    }
    return true;
}

bool ApplyMerge(Program& program, MergePlan& plan) {
    if (!CheckArchiveCanBeRewritten(program)) return false;
    auto copyOf = [&plan](std::size_t p) {
        return [&plan, p](BinaryFile& out) {
            const ARCFileCls& entry = plan.patchEntries[p];
            CopyBetweenFiles(plan.patch, entry.ArcFileOFSET, entry.ArcFileZipSize, out);
            return entry.ArcFileOrgSize;
        };
    };
    RewritePlan rewrite;
    for (const auto& [index, p] : plan.replaced) rewrite.replacements.push_back({index, copyOf(p)});
    for (const std::size_t p : plan.added) rewrite.appended.push_back({plan.patchEntries[p], copyOf(p)});
    if (rewrite.replacements.empty() && rewrite.appended.empty()) return true;  // an empty patch changes nothing
    return RewriteArchive(program, rewrite, {});
}

}  // namespace tessarin
