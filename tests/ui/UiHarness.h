#pragma once
// A real main window on the offscreen platform, attached to a program, with
// scripted modal prompts and an end action that only records.
#include <QModelIndex>
#include <QPoint>
#include <string>

#include "ScriptedPrompts.h"
#include "core/Program.h"
#include "support/ArcBuilder.h"
#include "ui/frmMain.h"

namespace tessarin::testing {

// Entries of the sample archive: a top-level entry, a folder with an entry and
// a sub-folder, an entry whose code has no name. Keys:
//   top.1A   a\readme.20   a\b\logo.1A   a\b\c\raw.99
ArcPlan SampleArchive();

class UiHarness {
public:
    // scripted: the window's prompts are a ScriptedPrompts (else the real dialogs).
    explicit UiHarness(bool scripted = true);
    ~UiHarness();

    TempDir dir;
    frmMain window;
    Program program{window};
    ScriptedPrompts* prompts = nullptr;  // owned by the window; null when not scripted
    int ended = 0;                       // times the program was ended

    // Writes the archive into dir and opens it as the command line does.
    std::string Open(const ArcPlan& archive, const std::string& name = "pack.ARC");

    QModelIndex IndexOf(const std::string& key) const;
    std::string SelectedKey() const;  // "" when nothing is selected
    QPoint CenterOf(const std::string& key) const;  // in the tree's viewport
    void Click(Qt::MouseButton button, const QPoint& pos);
    void Click(Qt::MouseButton button, const std::string& key) { Click(button, CenterOf(key)); }

    bool Enabled(const std::string& menuItem) const;
    bool ButtonEnabled(int index) const;
};

}  // namespace tessarin::testing
