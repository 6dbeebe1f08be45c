#include "app/Import.h"

#include "core/platform/Cp936.h"
#include "replace/Import.h"

namespace tessarin {

namespace {
constexpr const char* kImportPrompt = "选择要导入的目录（按全部导出的目录结构）";
constexpr const char* kImportStopped = "已停止导入，档案未作改动。";
constexpr std::size_t kListedFiles = 20;

// After a step that did not finish: says so when the user stopped it (a
// failure has shown its own message). Always false.
bool Unfinished(Program& program) {
    if (!program.ending && program.ui.StopRequested())
        program.ui.MsgBox(kImportStopped, MsgIcon::Information, kProgramTitle);
    return false;
}
}  // namespace

bool ImportFolder(Program& program) {
    IMainWindow& ui = program.ui;
    if (!program.ArchiveIsOpen()) {
        ui.MsgBox("档案没有成功打开，无法导入。", MsgIcon::Stop, kProgramTitle);
        return false;
    }
    const std::string folder = ui.BrowseForFolder(ui.Handle(), kImportPrompt, "", BIF_NEWDIALOGSTYLE);
    if (folder.empty()) return false;

    ImportPlan plan;
    if (!PlanImport(program, folder, plan)) return Unfinished(program);
    std::string question = "将替换 " + std::to_string(plan.changed.size()) + " 个对象。";
    if (!plan.unmatched.empty()) {
        question += std::string(kCrLf) + kCrLf + "以下文件没有对应的对象，将被跳过：";
        for (std::size_t i = 0; i < plan.unmatched.size() && i < kListedFiles; ++i)
            question += std::string(kCrLf) + plan.unmatched[i];
        if (plan.unmatched.size() > kListedFiles)
            question += std::string(kCrLf) + "……（共 " + std::to_string(plan.unmatched.size()) + " 个）";
    }
    if (!ui.AskYesNo(question, kProgramTitle)) return false;
    if (!ApplyImport(program, plan)) return Unfinished(program);
    ui.MsgBox("导入完成，已替换 " + std::to_string(plan.changed.size()) + " 个对象。", MsgIcon::Information,
              kProgramTitle);
    return true;
}

}  // namespace tessarin
