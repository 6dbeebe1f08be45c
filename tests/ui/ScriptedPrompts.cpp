#include "ScriptedPrompts.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

namespace tessarin::testing {

void ScriptedPrompts::Message(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) {
    messages.push_back({owner, text, icon, title});
}

QString ScriptedPrompts::OpenFile(const OpenFileRequest& request) {
    openRequests.push_back(request);
    if (openAnswers.empty()) return {};
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedPrompts::Folder(const FolderRequest& request) {
    folderRequests.push_back(request);
    if (folderAnswers.empty()) return {};
    QString answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

QAction* ScriptedPrompts::Popup(QMenu& menu, const QPoint&) {
    ++popups;
    if (popupChoices.empty()) return nullptr;
    const QString name = popupChoices.front();
    popupChoices.pop_front();
    return menu.findChild<QAction*>(name);
}

int ScriptedPrompts::Exec(QDialog& dialog) {
    dialogs.push_back(dialog.objectName());
    if (onExec) onExec(dialog);
    return dialog.result();
}

}  // namespace tessarin::testing
