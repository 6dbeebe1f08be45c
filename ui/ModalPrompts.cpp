#include "ui/ModalPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "ui/FileDialogDetails.h"

namespace tessarin {

namespace {

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtModalPrompts::Message(QWidget* owner, const QString& text, MsgIcon icon, const QString& title) {
    QMessageBox box(ToQtIcon(icon), title, text, QMessageBox::Ok, owner);
    box.setObjectName("MsgBox");
    // Plain text: names from an archive must never be read as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

int QtModalPrompts::Choose(QWidget* owner, const QString& text, MsgIcon icon, const QString& title,
                           const QStringList& buttons) {
    QMessageBox box(ToQtIcon(icon), title, text, QMessageBox::NoButton, owner);
    box.setObjectName("ChoiceBox");
    box.setTextFormat(Qt::PlainText);
    std::vector<QAbstractButton*> added;
    for (const QString& label : buttons) added.push_back(box.addButton(label, QMessageBox::AcceptRole));
    if (!added.empty()) box.setEscapeButton(added.back());
    box.exec();
    for (std::size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i]) return static_cast<int>(i);
    return -1;
}

QString QtModalPrompts::OpenFile(const OpenFileRequest& request) {
    QFileDialog dialog(request.owner, request.caption);
    dialog.setObjectName("OpenFileDialog");
    // Its filter matching ignores letter case, as the archives' Windows origins
    // expect (*.ARC finds x.arc).
    PrepareFileDialog(dialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    if (!request.initialFolder.isEmpty()) dialog.setDirectory(request.initialFolder);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

QString QtModalPrompts::Folder(const FolderRequest& request) {
    QFileDialog dialog(request.owner, request.caption);
    dialog.setObjectName("FolderDialog");
    PrepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.initialFolder.isEmpty()) dialog.setDirectory(request.initialFolder);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList folders = dialog.selectedFiles();
    return folders.isEmpty() ? QString() : QDir::toNativeSeparators(folders.first());
}

QStringList ModalPrompts::OpenFiles(const OpenFileRequest& request) {
    QFileDialog dialog(request.owner, request.caption);
    dialog.setObjectName("OpenFilesDialog");
    PrepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    if (!request.initialFolder.isEmpty()) dialog.setDirectory(request.initialFolder);
    if (dialog.exec() != QDialog::Accepted) return {};
    QStringList files = dialog.selectedFiles();
    for (QString& file : files) file = QDir::toNativeSeparators(file);
    return files;
}

QString ModalPrompts::SaveFile(const SaveFileRequest& request) {
    QFileDialog dialog(request.owner, request.caption);
    dialog.setObjectName("SaveFileDialog");
    PrepareFileDialog(dialog);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt would ask whether to replace a file already there; the caller answers that.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.filters.isEmpty()) dialog.setNameFilters(request.filters);
    if (!request.initialFolder.isEmpty()) dialog.setDirectory(request.initialFolder);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

QAction* QtModalPrompts::Popup(QMenu& menu, const QPoint& globalPos) { return menu.exec(globalPos); }

int QtModalPrompts::Exec(QDialog& dialog) { return dialog.exec(); }

}  // namespace tessarin
