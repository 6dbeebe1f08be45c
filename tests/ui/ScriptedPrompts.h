#pragma once
// Answers the window's modal interactions from scripts and records what was
// asked, so command-level UI tests never wait for a user.
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "ui/ModalPrompts.h"

namespace tessarin::testing {

class ScriptedPrompts : public ModalPrompts {
public:
    struct Message {
        QWidget* owner;
        QString text;
        MsgIcon icon;
        QString title;
    };
    std::vector<Message> messages;
    std::vector<OpenFileRequest> openRequests;
    std::deque<QString> openAnswers;  // empty: cancel
    std::vector<FolderRequest> folderRequests;
    std::deque<QString> folderAnswers;
    int popups = 0;
    std::deque<QString> popupChoices;  // object name of the item to choose; empty: dismiss
    std::vector<QString> dialogs;      // object names of the dialogs run
    // Runs instead of the dialog's event loop; may press its buttons.
    std::function<void(QDialog&)> onExec;

    void Message(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) override;
    QString OpenFile(const OpenFileRequest& request) override;
    QString Folder(const FolderRequest& request) override;
    QAction* Popup(QMenu& menu, const QPoint& globalPos) override;
    int Exec(QDialog& dialog) override;
};

}  // namespace tessarin::testing
