// The main window's edges: the previous version gone however the window ends,
// 新建档案 refusing a name already taken, a refused rename kept in its
// editor, the context menu's edit commands, the status panels after an edit,
// the size columns, Esc and the filter, and the name sort in code page 936
// order: real widgets on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <functional>

#include "UiHarness.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"
#include "ui/treeview/EntryFilterBox.h"
#include "ui/QtText.h"

namespace tessarin::testing {
namespace {

using Step = std::function<void(UiHarness&)>;
void Menu(UiHarness& ui, const char* item) { ui.window.MenuAction(item)->trigger(); }

// The previous version goes however the window ends; the window's own open
// sweeps one that a killed run left.
TEST(PreviousVersion, GoesHoweverTheWindowEndsOrLeavesTheArchive) {
    const std::pair<const char*, Step> rows[] = {
        {"退出", [](UiHarness& ui) { Menu(ui, "nexit"); }},
        {"close box", [](UiHarness& ui) { ui.window.close(); }},
        {"关闭", [](UiHarness& ui) { Menu(ui, "nclose"); }},
        {"the session ends", [](UiHarness&) { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
    };
    for (const auto& [how, end] : rows) {
        SCOPED_TRACE(how);
        UiHarness ui;
        ui.program.undo.kept = true;
        ui.Open();
        ui.prompts->chooseAnswer = 0;  // yes, delete the root's entries
        Menu(ui, "ndelete");
        ASSERT_TRUE(FileExists(ui.dir / UndoName("pack.ARC")));
        end(ui);
        EXPECT_FALSE(FileExists(ui.dir / UndoName("pack.ARC")));
    }
    UiHarness ui;
    ui.program.undo.kept = true;
    WriteFileBytes(ui.dir / UndoName("pack.ARC"), "left by a killed run");
    ui.Open();
    EXPECT_FALSE(FileExists(ui.dir / UndoName("pack.ARC")));
}

// A name already taken is refused before any work and another asked for; a
// name without an extension gets ".arc".
TEST(NewArchive, RefusesATakenNameBeforeAnyWorkAndAddsTheExtension) {
    UiHarness ui;
    CreateDirectories(ui.dir / "src");
    WriteFileBytes(ui.dir / "src/logo.1A", "logo");
    WriteFileBytes(ui.dir / "taken.arc", "mine");
    ui.prompts->folder = PathToQString(ui.dir / "src");
    ui.prompts->saves = {PathToQString(ui.dir / "taken.arc"), PathToQString(ui.dir / "fresh")};
    Menu(ui, "nnew");
    EXPECT_EQ(ui.prompts->messages, QStringList{PathToQString(ui.dir / "taken.arc") +
                                                QString::fromUtf8(" 已存在。新建档案不会替换已有的文件，请另选一个名称。")});
    EXPECT_EQ(ReadFileBytes(ui.dir / "taken.arc"), "mine");
    EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "fresh.arc");
}

// Types text into the name editor (F2 opens it when it is not open) and presses Enter.
QLineEdit* TypeName(UiHarness& ui, const QString& text) {
    if (!qobject_cast<QLineEdit*>(QApplication::focusWidget())) QTest::keyClick(ui.window.Tree(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor) return nullptr;
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);  // the refusal is said, or the rename runs, after the key
    return editor;
}

// A refused name keeps the editor open with the text and says why; the
// corrected name then renames.
TEST(RenameInPlace, ARefusedNameStaysInTheEditorWithTheReason) {
    const struct { const char* node; QString typed; const char* why; const char* corrected; const char* after; } rows[] = {
        {"a\\readme.20", "notes.zzz", "没有可用的扩展名", "notes.png", "a\\notes.1A"},
        {"a\\readme.20", QString(62, 'n') + ".txt", "名称超过 63 个字符", "n.txt", "a\\n.20"},  // "a\" counts
        {"a\\b\\", "x\\y", "不能含有", "y", "a\\y\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.node);
        UiHarness ui;
        ui.Open();
        ui.Select(row.node);
        QLineEdit* editor = TypeName(ui, row.typed);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ui.prompts->messages.isEmpty(); }, 2000));
        EXPECT_EQ(QApplication::focusWidget(), editor);
        EXPECT_EQ(editor->text(), row.typed);
        EXPECT_TRUE(ui.prompts->messages.value(0).contains(QString::fromUtf8(row.why)));
        TypeName(ui, QString::fromUtf8(row.corrected));
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.SelectedKey() == row.after; }, 2000)) << ui.SelectedKey();
    }
}

// The context menu of a folder runs the 对象 menu's edit commands on it.
TEST(ContextMenu, EditCommandsActOnTheFolder) {
    for (const char* item : {"ndelete", "nrename"}) {
        SCOPED_TRACE(item);
        UiHarness ui;
        ui.Open();
        ui.Click(Qt::LeftButton, "a\\b\\");
        ui.prompts->popupChoice = item;
        ui.prompts->chooseAnswer = 0;
        ui.Click(Qt::RightButton, "a\\b\\");
        const bool renaming = std::string(item) == "nrename";
        // The command runs once the right click has been handled.
        QTest::qWaitFor([&] {
            return renaming ? qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr
                            : ui.program.tree.Find("a\\b\\") == kNoNode;
        }, 2000);
        EXPECT_EQ(ui.program.tree.Find("a\\b\\") != kNoNode, renaming);
        EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr, renaming);
    }
}

// Panel 2 always names the archive (its path as tooltip); an edit's result goes in panel 1.
TEST(StatusBar, EditResultsInPanel1AndTheArchiveInPanel2) {
    const std::pair<const char*, Step> rows[] = {
        {"已删除 1 个对象", [](UiHarness& ui) { Menu(ui, "ndelete"); }},
        {"已撤销：删除 1 个对象", [](UiHarness& ui) { Menu(ui, "ndelete"), Menu(ui, "nundo"); }},
        {"已添加 1 个对象", [](UiHarness& ui) { ui.window.DropFiles(ui.program.tree.Find("a\\"), {ui.dir / "n.txt"}); }},
        {"已重命名 1 个对象", [](UiHarness& ui) { TypeName(ui, "notes.png"); }},
    };
    for (const auto& [said, edit] : rows) {
        SCOPED_TRACE(said);
        UiHarness ui;
        ui.program.undo.kept = true;
        ui.Open();
        WriteFileBytes(ui.dir / "n.txt", "new");
        ui.Select("a\\readme.20");
        ui.prompts->chooseAnswer = 0;
        edit(ui);
        // A drop's work, or a rename, runs once the key or the drop has been handled.
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.window.Panel(1)->text() == QString::fromUtf8(said); }, 2000))
            << ui.window.Panel(1)->text().toStdString();
        EXPECT_EQ(ui.window.Panel(2)->text(), "ARC File: pack.ARC");
        EXPECT_EQ(ui.window.Panel(2)->toolTip().toStdString(), ui.dir / "pack.ARC");
    }
}

// Sizes of 100 MB and more show whole: 大小 fits the root's sum, 1,000,003,018.
TEST(EntryDetails, SizeColumnsFitTheirLargestValueWhenAnArchiveOpens) {
    UiHarness ui;
    ArcPlan plan = SampleArchive();
    plan.records.push_back(Stored("big", 0x20, Deflate("b"), 1'000'000'000));
    ui.Open(plan);
    const QString text = ui.IndexOf("Root").siblingAtColumn(EntryTreeModel::kSizeColumn).data().toString();
    EXPECT_GE(ui.window.Tree()->header()->sectionSize(EntryTreeModel::kSizeColumn),
              ui.window.Tree()->fontMetrics().horizontalAdvance(text) + 4);
}

// Esc clears the filter wherever the keys are while it is set and keeps the
// selection (the one the filter hid comes back); closing the archive clears it.
TEST(Filter, EscClearsItAnywhereKeepingTheSelectionAndClosingClearsIt) {
    UiHarness ui;
    ui.Open();
    EntryFilterBox* box = ui.window.FilterBox();
    const std::pair<QWidget*, const char*> rows[] = {{box, "a\\b\\logo.1A"}, {ui.window.Tree(), "a\\b\\logo.1A"},
                                                     {ui.window.findChild<QCheckBox*>("Check1"), "a\\b\\logo.1A"},
                                                     {ui.window.Tree(), "a\\readme.20"}};  // hidden by the filter
    for (const auto& [focus, selected] : rows) {
        SCOPED_TRACE(focus->objectName().toStdString() + " " + selected);
        ui.Select(selected);
        box->setText("logo");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_EQ(ui.SelectedKey(), selected);
    }
    box->setText("zzz");
    Menu(ui, "nclose");
    ui.Open(SampleArchive(), "again.ARC");
    EXPECT_TRUE(box->text().isEmpty() && ui.IndexOf("a\\b\\c\\raw.99").isValid());
}

// Sorted by name, names follow their code page 936 bytes: pinyin order for
// simplified Chinese (界 jie before 文 wen, though U+6587 comes before U+754C).
TEST(EntryDetails, NameSortFollowsCodePage936Bytes) {
    UiHarness ui;
    ui.Open(Archive({Entry(TextToCp936("文本"), 0x20, "w"), Entry(TextToCp936("界面"), 0x20, "j"), Entry("zz", 0x20, "z")}));
    ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::AscendingOrder);
    QStringList shown;
    for (int row = 0; row < 3; ++row) shown << ui.window.Model()->index(row, 0, ui.IndexOf("Root")).data().toString();
    EXPECT_EQ(shown.join(' '), QString::fromUtf8("zz.txt 界面.txt 文本.txt"));
}

}  // namespace
}  // namespace tessarin::testing
