#include "app/ExportCommands.h"

#include "core/ArcState.h"
#include "core/MessageTexts.h"
#include "extract/Export.h"
#include "extract/ExportSelection.h"
#include "replace/Replace.h"

namespace tessarin {

namespace {

constexpr int kRawExport = 1;  // Check1 ticked: save the stored bytes
constexpr const char* kExtSubPrompt = "选保存文件的目录";
constexpr const char* kSourceFilter = "所有文件 *.*|*.*";

std::string ExportAllPrompt() { return std::string("导出全部资源文件： ") + kCrLf + "请选择要保存的资源文件的目录"; }

// The archive is open, or the user is told why the command cannot run.
bool ArchiveOpenFor(Program& program, const char* refusal) {
    if (program.ArchiveIsOpen()) return true;
    program.ui.MsgBox(refusal, MsgIcon::Stop, kProgramTitle);
    return false;
}

bool CanExport(Program& program) { return ArchiveOpenFor(program, "档案没有成功打开，无法导出。"); }

// The folder the user picks, with the Check1 choice; folder "" when cancelled.
ExportRequest AskExportRequest(Program& program, WindowHandle owner, const std::string& prompt) {
    ExportRequest request;
    request.folder = program.ui.BrowseForFolder(owner, prompt, "", BIF_NEWDIALOGSTYLE);
    request.raw = program.ui.Check1Value() == kRawExport;
    return request;
}

}  // namespace

bool ExtSub(Program& program, WindowHandle hwnd) {
    const TreeNode* node = program.SelectedNode();
    if (node == nullptr) return false;
    const std::string key = node->key;
    if (!CanExport(program)) return false;
    const ExportRequest request = AskExportRequest(program, hwnd, kExtSubPrompt);
    return !request.folder.empty() && ExportOneEntry(program, request, key);
}

bool ExportAllEntries(Program& program) {
    const ExportRequest request = AskExportRequest(program, program.ui.Handle(), ExportAllPrompt());
    return !request.folder.empty() && ExportEntries(program, request);
}

bool ExportSelection(Program& program, WindowHandle hwnd) {
    const std::vector<NodeId> nodes = program.ui.TreeSelection();
    const TreeNode* current = program.SelectedNode();
    if (nodes.size() <= 1 && (current == nullptr || IsEntryKey(current->key))) return ExtSub(program, hwnd);
    const EntrySubset subset = SubsetOfNodes(program, nodes);
    if (!CanExport(program)) return false;
    const ExportRequest request = AskExportRequest(program, hwnd, kExtSubPrompt);
    return !request.folder.empty() && ExportEntries(program, request, &subset);
}

bool ReplaceFile(Program& program, WindowHandle hwnd) {
    const TreeNode* node = program.SelectedNode();
    // The root and the folders hold no entry: the archive is left alone.
    if (node == nullptr || !IsEntryKey(node->key) || node->key.rfind('.') == std::string::npos) return false;
    ReplaceRequest request{node->key, {}};
    const std::string title = "替换" + node->text + ":";
    if (!ArchiveOpenFor(program, "档案没有成功打开，无法替换。")) return false;
    request.source = program.ui.ShowOpenDialog(hwnd, kSourceFilter, title);
    // The dialog's answer is the path, a NUL character and filler.
    if (const auto nul = request.source.find('\0'); nul != std::string::npos) request.source.resize(nul);
    return !request.source.empty() && ReplaceEntry(program, request);
}

}  // namespace tessarin
