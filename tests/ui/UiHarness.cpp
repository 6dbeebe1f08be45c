#include "UiHarness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"

namespace tessarin::testing {

ArcPlan SampleArchive() {
    ArcPlan archive;
    archive.records = {Entry("top", 0x1A, "top data"), Entry("a\\readme", 0x20, "read me"),
                    Entry("a\\b\\logo", 0x1A, std::string(3000, 'x')), Entry("a\\b\\c\\raw", 0x99, "raw")};
    return archive;
}

UiHarness::UiHarness(bool scripted) {
    if (scripted) {
        auto owned = std::make_unique<ScriptedPrompts>();
        prompts = owned.get();
        window.SetPrompts(std::move(owned));
    }
    window.SetEndAction([this] { ++ended; });
    window.Attach(program);
    AddExtType(program.ExtTypes, "1A", "png");
    AddExtType(program.ExtTypes, "20", "txt");
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) ADD_FAILURE() << "main window not active";
}

UiHarness::~UiHarness() { program.files.CloseAll(); }

std::string UiHarness::Open(const ArcPlan& archive, const std::string& name) {
    const std::string path = dir / name;
    WriteFileBytes(path, BuildArc(archive));
    window.OpenAtStart(path);
    window.Tree()->expandAll();
    return path;
}

QModelIndex UiHarness::IndexOf(const std::string& key) const {
    return window.Model()->IndexOf(program.tree.Find(key));
}

std::string UiHarness::SelectedKey() const {
    const NodeId node = window.TreeSelected();
    return node == kNoNode ? std::string() : program.tree.Node(node).key;
}

QPoint UiHarness::CenterOf(const std::string& key) const {
    const QModelIndex index = IndexOf(key);
    EXPECT_TRUE(index.isValid()) << key;
    return window.Tree()->visualRect(index).center();
}

void UiHarness::Click(Qt::MouseButton button, const QPoint& pos) {
    QTest::mouseClick(window.Tree()->viewport(), button, Qt::NoModifier, pos);
}

bool UiHarness::Enabled(const std::string& menuItem) const { return window.MenuAction(menuItem)->isEnabled(); }

bool UiHarness::ButtonEnabled(int index) const { return window.ToolbarAction(index)->isEnabled(); }

}  // namespace tessarin::testing
