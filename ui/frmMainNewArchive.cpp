// 文件 → 新建档案: a folder, then a name not yet taken; the new archive is
// made as long work and then opened.
#include <QAction>
#include <QFileInfo>

#include "app/Commands.h"
#include "app/EditCommands.h"
#include "app/OpenClose.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "ui/ModalPrompts.h"
#include "ui/PickerFilter.h"
#include "ui/QtText.h"
#include "ui/frmMain.h"

namespace tessarin {

void frmMain::NewArchive() {
    const std::string folder =
        BrowseForFolder(Handle(), "选择要打包成新档案的目录（按全部导出的目录结构）", "", BIF_NEWDIALOGSTYLE);
    if (folder.empty()) return;
    const std::string path = AskNewArchivePath();
    if (path.empty()) return;
    bool created = false;
    RunCommand(*program_, [&] { created = CreateArchiveFromFolder(*program_, folder, path); });
    if (!created || Ending()) return;
    // The new archive is opened as the open command would, the open one closed first.
    if (MenuAction("nclose")->isEnabled()) OnMenu("nclose");
    if (!MenuAction("nopen")->isEnabled() || Ending()) return;
    startAnswer_ = path;
    OnMenu("nopen");
    startAnswer_.reset();
}

std::string frmMain::AskNewArchivePath() {
    SaveFileRequest request;
    request.owner = this;
    request.caption = QString::fromUtf8("新建档案");
    request.filters = ToQtNameFilters(QString::fromUtf8(kArcFilter));
    // A new archive never replaces a file: a name already taken is refused
    // before any work, and another name asked for.
    for (;;) {
        QString chosen = Ending() ? QString() : prompts_->SaveFile(request);
        if (chosen.isEmpty()) return {};
        if (QFileInfo(chosen).suffix().isEmpty()) chosen += QStringLiteral(".arc");
        const std::string path = PathFromQString(chosen);
        if (!FileExists(path) && !DirectoryExists(path)) return path;
        MsgBox(path + " 已存在。新建档案不会替换已有的文件，请另选一个名称。", MsgIcon::Warning, kProgramTitle);
        request.initialFolder = QFileInfo(chosen).absolutePath();
    }
}

}  // namespace tessarin
