#pragma once
// A real main window on the offscreen platform attached to a program, the
// prompts that answer it at once, and a driver for the real modal dialogs.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "core/platform/FileSystem.h"
#include "state/Program.h"
#include "support/ArcBuilder.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/ModalPrompts.h"
#include "ui/frmMain.h"

// Failure messages show a QString's text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace tessarin::testing {

// Under Wine the offscreen platform measures text with other fonts than on
// Linux: the checks of room (an elided panel, columns that fit the window, the
// last step of a text's scroll) are made where the design's metrics hold.
#ifdef _WIN32
inline constexpr bool kDesignFontMetrics = false;
#else
inline constexpr bool kDesignFontMetrics = true;
#endif

// A test path as the pickers answer it: in this platform's separators.
inline std::string Native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kNativeSeparator);
    return path;
}

// Every modal interaction cancelled or dismissed at once, and counted: which
// command a key or click reached shows in what it asked of the user.
struct ScriptedPrompts : ModalPrompts {
    int opens = 0, folders = 0, popups = 0, dialogs = 0;
    int chooseAnswer = -1;         // the button every question answers (-1: dismissed)
    QString file, folder;          // what the pickers answer
    QStringList messages, questions, fileStarts, folderStarts;  // where each picker started
    void Message(QWidget*, const QString& text, MsgIcon, const QString&) override { messages << text; }
    int Choose(QWidget*, const QString& text, MsgIcon, const QString&, const QStringList&) override {
        questions << text;
        return chooseAnswer;
    }
    QStringList saves;             // what the save picker answers, one a time ("" once they are used up)
    QString popupChoice;           // the object name of the context menu's item chosen ("": dismissed)
    QString OpenFile(const OpenFileRequest& r) override { ++opens; fileStarts << r.initialFolder; return file; }
    QStringList OpenFiles(const OpenFileRequest&) override { ++opens; return {}; }
    QString Folder(const FolderRequest& r) override { ++folders; folderStarts << r.initialFolder; return folder; }
    QString SaveFile(const SaveFileRequest&) override { return saves.isEmpty() ? QString() : saves.takeFirst(); }
    QAction* Popup(QMenu& menu, const QPoint&) override {
        ++popups;
        return popupChoice.isEmpty() ? nullptr : menu.findChild<QAction*>(popupChoice);
    }
    int Exec(QDialog& dialog) override { ++dialogs; return dialog.result(); }
};

// Acts on the modal widgets and popups named in its steps, in order, as they
// show. Each poll is its own single-shot timer, so polling goes on inside the
// nested event loop an action opens. Steps left over fail the test; a dialog
// nobody answers is closed by main's watchdog.
class ModalDriver : public QObject {
public:
    using Action = std::function<void(QWidget*)>;
    ModalDriver(const QString& name, Action action) { Then(name, std::move(action)); Schedule(); }
    ~ModalDriver() override;
    ModalDriver& Then(const QString& name, Action action) {
        steps_.emplace_back(name, std::move(action));
        return *this;
    }

private:
    void Schedule();
    std::deque<std::pair<QString, Action>> steps_;
};

void Press(QWidget* dialog, const char* button);

// Entries: top.1A   a\readme.20   a\b\logo.1A   a\b\c\raw.99
ArcPlan SampleArchive();

class UiHarness {
public:
    explicit UiHarness(bool scripted = true);  // else the real dialogs
    // The window is hidden while the program it shows still exists (its
    // destructor would lay the tree out again after the program has gone), and
    // the preview's workers stop reading the archive before its file closes.
    ~UiHarness() {
        window.hide();
        window.StopPreviewReading();
        program.files.CloseAll();
    }

    TempDir dir;
    frmMain window;
    Program program{window};
    ScriptedPrompts* prompts = nullptr;  // owned by the window
    // Qt's model tester watches the tree's model through every test; a fault aborts the run.
    std::unique_ptr<QAbstractItemModelTester> modelTester;
    int ended = 0;                       // times the end action ran

    // Writes the archive into dir and opens it as the command line does.
    void Open(const ArcPlan& archive = SampleArchive(), const std::string& name = "pack.ARC");
    std::string SelectedKey() const;  // "" when nothing is selected
    void Select(const std::string& key) { window.TreeSelect(program.tree.Find(key)); }
    QModelIndex IndexOf(const std::string& key) const { return window.Model()->IndexOf(program.tree.Find(key)); }
    QPoint Centre(const std::string& key) const { return window.Tree()->visualRect(IndexOf(key)).center(); }
    void Click(Qt::MouseButton button, const std::string& key);  // "": empty space below the rows
};

// A harness with the sample archive open.
struct OpenHarness : UiHarness {
    explicit OpenHarness(bool scripted = true) : UiHarness(scripted) { Open(); }
};

}  // namespace tessarin::testing
