#include "app/ArchiveDifferences.h"

#include <algorithm>

#include "app/OpenClose.h"
#include "app/TreeUpdate.h"
#include "edit/MergePatch.h"
#include "edit/PatchArchive.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

// The texts of these commands.
namespace text {
constexpr const char* kNotOpen = "档案没有成功打开，无法比较。";
constexpr const char* kNotOpenForMerge = "档案没有成功打开，无法修改。";
constexpr const char* kComparing = "正在比较";
constexpr const char* kCompareStopped = "已停止比较。";
constexpr const char* kPickPatch = "选择补丁档案";
constexpr const char* kCheckingPatch = "正在检查补丁档案";
constexpr const char* kMergeStopped = "已停止合并，档案未作改动。";
constexpr const char* kMerged = "已合并补丁档案：";
}  // namespace text

std::vector<DifferenceRow> RowsOf(const ArchiveComparison& comparison, const ArcEntryList& a, const ArcEntryList& b) {
    std::vector<DifferenceRow> rows;
    for (const EntryDifference& d : comparison.differences) {
        DifferenceRow row;
        row.key = d.key;
        row.change = d.change;
        if (d.indexA != kNoEntry) row.sizeA = a[d.indexA].ArcFileOrgSize;
        if (d.indexB != kNoEntry) row.sizeB = b[d.indexB].ArcFileOrgSize;
        if (!d.damageA.empty()) row.damage = "A：" + d.damageA;
        if (!d.damageB.empty()) row.damage += (row.damage.empty() ? "B：" : "；B：") + d.damageB;
        rows.push_back(std::move(row));
    }
    return rows;
}

}  // namespace

std::string ChangeText(EntryChange change) {
    switch (change) {
        case EntryChange::Added: return "添加";
        case EntryChange::Removed: return "删除";
        case EntryChange::Changed: return "修改";
        case EntryChange::Damaged: break;
    }
    return "损坏";
}

bool ReadyToCompare(Program& program) {
    if (program.ArchiveIsOpen()) return true;
    program.ui.MsgBox(text::kNotOpen, MsgIcon::Stop, kProgramTitle);
    return false;
}

std::unique_ptr<ArchiveDifferences> CompareWithOpenArchive(Program& program, const std::string& otherPath) {
    IMainWindow& ui = program.ui;
    if (!ReadyToCompare(program)) return nullptr;
    auto differences = std::make_unique<ArchiveDifferences>();
    differences->otherPath = otherPath;
    std::string failure;
    auto other = OpenReadOnlyArchive(otherPath, program.ExtTypes, failure);
    if (!other) {
        ui.MsgBox(failure, MsgIcon::Stop, kProgramTitle);
        return nullptr;
    }
    differences->other = std::move(*other);
    const ArcEntryList& a = program.arc.ArcEntries;
    const ArcEntryList& b = differences->other.entries;
    {
        // Each of B's entries in turn, weighed by its stored bytes: what is read.
        std::vector<std::uint64_t> itemBytes;
        itemBytes.reserve(b.size());
        for (const ARCFileCls& entry : b) itemBytes.push_back(static_cast<std::uint64_t>(std::max(entry.ArcFileZipSize, 0)));
        LongWork work(program, text::kComparing, std::move(itemBytes));
        CompareOptions options;
        options.checkAdded = true;  // the patch must not carry a damaged entry
        options.onEntry = [&](std::size_t done) {
            work.Advance(done);
            return !work.Poll();
        };
        differences->comparison = CompareArchives({program.files.Get(program.arc.ArcFileNum), a},
                                                  {differences->other.file, b}, options);
    }
    if (differences->comparison.stopped) {
        if (!program.ending) ui.MsgBox(text::kCompareStopped, MsgIcon::Information, kProgramTitle);
        return nullptr;
    }
    differences->rows = RowsOf(differences->comparison, a, b);
    return differences;
}

bool WriteDifferencesPatch(Program& program, ArchiveDifferences& differences, const std::string& patchPath) {
    return WritePatchArchive(program, {differences.other.file, differences.other.entries}, differences.comparison,
                             patchPath);
}

bool MergePatchArchive(Program& program) {
    IMainWindow& ui = program.ui;
    if (!program.ArchiveIsOpen()) {
        ui.MsgBox(text::kNotOpenForMerge, MsgIcon::Stop, kProgramTitle);
        return false;
    }
    std::string path = ui.ShowOpenDialog(ui.Handle(), kArcFilter, text::kPickPatch);
    if (const auto nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
    if (path.empty()) return false;
    MergePlan plan;
    bool planned = false;
    {
        LongWork work(program, text::kCheckingPatch, 1, 0);
        planned = PlanMerge(program, path, plan);
    }
    if (!planned) {
        if (!program.ending && ui.StopRequested()) ui.MsgBox(text::kMergeStopped, MsgIcon::Information, kProgramTitle);
        return false;
    }
    const std::string counts =
        "替换 " + std::to_string(plan.replaced.size()) + " 个对象，添加 " + std::to_string(plan.added.size()) + " 个对象";
    if (!ui.AskYesNo("合并补丁档案将" + counts + "。继续吗？", kProgramTitle)) return false;
    const std::vector<std::string> expanded = ExpandedKeys(program);
    const TreeNode* selected = program.SelectedNode();
    const std::string selectKey = selected == nullptr ? std::string(kRootKey) : selected->key;
    if (!ApplyMerge(program, plan)) return false;
    RebuildTree(program, expanded);
    SelectInTree(program, selectKey);
    ui.SetPanelText(2, text::kMerged + counts);
    return true;
}

}  // namespace tessarin
