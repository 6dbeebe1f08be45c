#pragma once
// The real main window for the UI benchmarks, with an archive open and painted
// before anything is timed. Nothing modal may stop the measurement: messages
// and questions go to stderr unanswered, pickers cancel.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "state/Program.h"
#include "ui/ModalPrompts.h"
#include "ui/frmMain.h"

namespace tessarin::bench {

class SilentPrompts : public ModalPrompts {
public:
    void Message(QWidget*, const QString& text, MsgIcon, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    int Choose(QWidget*, const QString& text, MsgIcon, const QString&, const QStringList&) override {
        std::fprintf(stderr, "question: %s\n", qPrintable(text));
        return -1;
    }
    QString OpenFile(const OpenFileRequest&) override { return {}; }
    QString Folder(const FolderRequest&) override { return {}; }
    QAction* Popup(QMenu&, const QPoint&) override { return nullptr; }
    int Exec(QDialog&) override { return 0; }
};

// The window and its program with the archive at path open; its files close at the end.
struct QuietWindow {
    frmMain window;
    Program program{window};

    explicit QuietWindow(const std::string& path) {
        window.SetPrompts(std::make_unique<SilentPrompts>());
        window.SetEndAction([] {});
        window.Attach(program);
        window.show();
        window.OpenAtStart(path);
        QApplication::processEvents();
        window.grab();
    }
    ~QuietWindow() { program.files.CloseAll(); }
};

}  // namespace tessarin::bench
