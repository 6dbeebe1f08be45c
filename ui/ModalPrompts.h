#pragma once
// Every modal interaction of the window goes through this one object: message
// boxes, the two pickers, the context menu and the dialogs. The window owns a
// Qt implementation; a test can put a scripted one in its place so that nothing
// waits for a user.
#include <QString>
#include <QStringList>

#include "core/Messages.h"

class QAction;
class QDialog;
class QMenu;
class QPoint;
class QWidget;

namespace tessarin {

struct OpenFileRequest {
    QWidget* owner = nullptr;
    QString caption;     // empty: the dialog's default title
    QStringList filters; // Qt name filters, the first one active
    QString initialFolder;  // empty: the dialog's default folder
};

struct SaveFileRequest {
    QWidget* owner = nullptr;
    QString caption;
    QStringList filters;    // Qt name filters, the first one active
    QString initialFolder;  // empty: the dialog's default folder
};

struct FolderRequest {
    QWidget* owner = nullptr;
    QString caption;
    QString initialFolder;  // empty: no particular selection
};

class ModalPrompts {
public:
    virtual ~ModalPrompts() = default;
    virtual void Message(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) = 0;
    // A message with several buttons: the index of the one pressed, -1 when dismissed.
    virtual int Choose(QWidget* owner, const QString& text, MsgIcon icon, const QString& title,
                       const QStringList& buttons) = 0;
    // An existing file's absolute path, or empty on cancel.
    virtual QString OpenFile(const OpenFileRequest& request) = 0;
    // An existing folder's absolute path, or empty on cancel.
    virtual QString Folder(const FolderRequest& request) = 0;
    // Existing files' absolute paths, or none on cancel.
    virtual QStringList OpenFiles(const OpenFileRequest& request);
    // A path to write a new file at, or empty on cancel. The dialog never asks
    // about a file already there: what to do with one is the caller's to say.
    virtual QString SaveFile(const SaveFileRequest& request);
    // The chosen action, or nullptr when the menu was dismissed.
    virtual QAction* Popup(QMenu& menu, const QPoint& globalPos) = 0;
    // Runs a modal dialog until it closes; its result code.
    virtual int Exec(QDialog& dialog) = 0;
};

// The real dialogs.
class QtModalPrompts : public ModalPrompts {
public:
    void Message(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) override;
    int Choose(QWidget* owner, const QString& text, MsgIcon icon, const QString& title,
               const QStringList& buttons) override;
    QString OpenFile(const OpenFileRequest& request) override;
    QString Folder(const FolderRequest& request) override;
    QAction* Popup(QMenu& menu, const QPoint& globalPos) override;
    int Exec(QDialog& dialog) override;
};

}  // namespace tessarin
