// The main window's edges: the previous version gone however the window ends,
// 新建档案 refusing a name already taken, a refused rename kept in its
// editor, the context menu's edit commands, the status panels after an edit,
// the size columns, Esc and the filter, and the name sort in code page 936
// order: real widgets on the offscreen platform.
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <filesystem>
#include <functional>

#include "UiHarness.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"
#include "ui/EntryFilterBox.h"
#include "ui/QtText.h"

namespace tessarin::testing {
namespace {

// An archive open in a window that keeps undo, one entry of it deleted.
void OpenAndDelete(UiHarness& ui, const std::string& key = "top.1A") {
    ui.program.undo.kept = true;
    ui.Open();
    ui.Select(key);
    ui.prompts->chooseAnswer = 0;  // yes, delete
    ui.window.MenuAction("ndelete")->trigger();
}

// Every way the window ends or leaves the archive takes the previous version
// with it; the window's own open sweeps one that a killed run left.
TEST(PreviousVersion, GoesHoweverTheWindowEndsOrLeavesTheArchive) {
    const struct { const char* how; std::function<void(UiHarness&)> end; } rows[] = {
        {"退出", [](UiHarness& ui) { ui.window.MenuAction("nexit")->trigger(); }},
        {"close box", [](UiHarness& ui) { ui.window.close(); }},
        {"关闭", [](UiHarness& ui) { ui.window.MenuAction("nclose")->trigger(); }},
        {"another archive dropped", [](UiHarness& ui) {
             WriteFileBytes(ui.dir / "other.ARC", BuildArc(SampleArchive()));
             ui.window.DropFile(kNoNode, ui.dir / "other.ARC");
             QTest::qWait(20);
         }},
        {"the session ends", [](UiHarness&) { QMetaObject::invokeMethod(qApp, "aboutToQuit"); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        UiHarness ui;
        OpenAndDelete(ui);
        const std::string undo = ui.dir / UndoName("pack.ARC");
        ASSERT_TRUE(FileExists(undo));
        row.end(ui);
        EXPECT_FALSE(FileExists(undo));
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
    CreateDirectories(ui.dir / "src/ui");
    WriteFileBytes(ui.dir / "src/ui/logo.1A", "logo");
    WriteFileBytes(ui.dir / "taken.arc", "mine");
    ui.prompts->folder = PathToQString(ui.dir / "src");
    ui.prompts->saves = {PathToQString(ui.dir / "taken.arc"), PathToQString(ui.dir / "fresh")};
    ui.window.MenuAction("nnew")->trigger();
    EXPECT_EQ(ui.prompts->messages, QStringList{PathToQString(ui.dir / "taken.arc") +
                                                QString::fromUtf8(" 已存在。新建档案不会替换已有的文件，请另选一个名称。")});
    EXPECT_EQ(ReadFileBytes(ui.dir / "taken.arc"), "mine");
    EXPECT_EQ(ui.program.arc.OpenArcPath, ui.dir / "fresh.arc");
    EXPECT_EQ(ui.program.arc.ArcEntries.size(), 1u);
}

// F2, the text typed, Enter.
QLineEdit* TypeName(UiHarness& ui, const QString& text) {
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor || !editor->parent() || editor->parent()->parent() != ui.window.Tree()) {
        QTest::keyClick(ui.window.Tree(), Qt::Key_F2);
        editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    }
    if (!editor) return nullptr;
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);  // the refusal is said, or the rename runs, after the key
    return editor;
}

// A refused name keeps the editor open with the text, and says why; the
// corrected name then renames.
TEST(RenameInPlace, ARefusedNameStaysInTheEditorWithTheReason) {
    const struct { const char* node; QString typed; const char* why; const char* corrected; const char* after; } rows[] = {
        {"a\\readme.20", "notes.zzz", "没有可用的扩展名", "notes.png", "a\\notes.1A"},
        {"a\\readme.20", QString(62, 'n') + ".txt", "名称超过 63 个字符", "n.txt", "a\\n.20"},  // "a\" counts
        {"a\\b\\", "x\\y", "不能含有", "y", "a\\y\\"},
        {"a\\b\\", "", "不能为空", "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        UiHarness ui;
        ui.Open();
        const std::string before = ReadFileBytes(ui.dir / "pack.ARC");
        ui.Select(row.node);
        QLineEdit* editor = TypeName(ui, row.typed);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(QApplication::focusWidget(), editor);
        EXPECT_EQ(editor->text(), row.typed);
        ASSERT_EQ(ui.prompts->messages.size(), 1);
        EXPECT_TRUE(ui.prompts->messages[0].contains(QString::fromUtf8(row.why))) << ui.prompts->messages[0].toStdString();
        EXPECT_EQ(ReadFileBytes(ui.dir / "pack.ARC"), before);
        if (!*row.corrected) continue;
        TypeName(ui, QString::fromUtf8(row.corrected));
        EXPECT_EQ(ui.SelectedKey(), row.after);
        EXPECT_NE(qobject_cast<QLineEdit*>(QApplication::focusWidget()), editor);
    }
}

// The context menu of an entry or folder runs the 对象 menu's edit commands on it.
TEST(ContextMenu, EditCommandsActOnTheEntryOrFolder) {
    const struct { const char* node; const char* item; const char* selectedAfter; bool gone; bool editing; } rows[] = {
        {"a\\b\\", "ndelete", "a\\readme.20", true, false},
        {"top.1A", "ndelete", "a\\", true, false},
        {"a\\b\\", "nrename", "a\\b\\", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " " + row.node);
        UiHarness ui;
        ui.Open();
        ui.Click(Qt::LeftButton, row.node);
        ui.prompts->popupChoice = row.item;
        ui.prompts->chooseAnswer = 0;
        ui.Click(Qt::RightButton, row.node);
        QTest::qWait(20);  // the command runs once the right click has been handled
        EXPECT_EQ(ui.SelectedKey(), row.selectedAfter);
        EXPECT_EQ(ui.program.tree.Find(row.node) == kNoNode, row.gone);
        EXPECT_EQ(qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr, row.editing);
    }
}

// Panel 2 always names the archive (its path as tooltip); an edit's result goes in panel 1.
TEST(StatusBar, EditResultsInPanel1AndTheArchiveInPanel2) {
    const struct { const char* label; std::function<void(UiHarness&)> edit; const char* said; } rows[] = {
        {"delete", [](UiHarness& ui) { ui.window.MenuAction("ndelete")->trigger(); }, "已删除 1 个对象"},
        {"undo", [](UiHarness& ui) {
             ui.window.MenuAction("ndelete")->trigger();
             ui.window.MenuAction("nundo")->trigger();
         }, "已撤销：删除 1 个对象"},
        {"add", [](UiHarness& ui) { ui.window.DropFiles(ui.program.tree.Find("a\\"), {ui.dir / "n.txt"}), QTest::qWait(20); },
         "已添加 1 个对象"},
        {"rename", [](UiHarness& ui) { TypeName(ui, "notes.png"); }, "已重命名 1 个对象"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        UiHarness ui;
        ui.program.undo.kept = true;
        ui.Open();
        WriteFileBytes(ui.dir / "n.txt", "new");
        ui.Select("a\\readme.20");
        ui.prompts->chooseAnswer = 0;
        row.edit(ui);
        EXPECT_EQ(ui.window.Panel(1)->text(), QString::fromUtf8(row.said));
        EXPECT_EQ(ui.window.Panel(2)->text(), "ARC File: pack.ARC");
        EXPECT_EQ(ui.window.Panel(2)->toolTip().toStdString(), ui.dir / "pack.ARC");
    }
}

// Sizes of 100 MB and more show whole (here 1,000,003,018 at the root): the size columns fit the root's sums.
TEST(EntryDetails, SizeColumnsFitTheirLargestValueWhenAnArchiveOpens) {
    UiHarness ui;
    ArcPlan plan = SampleArchive();
    plan.records.push_back(Stored("big", 0x20, Deflate(std::string(1000, 'b')), 1'000'000'000));
    ui.Open(plan);
    const QModelIndex root = ui.IndexOf("Root");
    for (const int column : {EntryTreeModel::kSizeColumn, EntryTreeModel::kStoredColumn}) {
        const QString text = root.siblingAtColumn(column).data().toString();
        EXPECT_GE(ui.window.Tree()->header()->sectionSize(column),
                  ui.window.Tree()->fontMetrics().horizontalAdvance(text) + 4)
            << text.toStdString();
    }
}

// Esc clears the filter wherever the keys are while it is set, and keeps the
// selection; closing the archive clears it, so the next one shows whole.
TEST(Filter, EscClearsItAnywhereKeepingTheSelectionAndClosingClearsIt) {
    UiHarness ui;
    ui.Open();
    EntryFilterBox* box = ui.window.FilterBox();
    for (QWidget* focus : std::initializer_list<QWidget*>{box, ui.window.Tree(), ui.window.findChild<QCheckBox*>("Check1")}) {
        SCOPED_TRACE(focus->objectName().toStdString());
        box->setText("logo");
        ui.Select("a\\b\\logo.1A");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_EQ(ui.SelectedKey(), "a\\b\\logo.1A");
        EXPECT_EQ(ui.window.TreeSelection().size(), 1u);
    }
    // The filter hid the selection: clearing it brings that back.
    ui.Select("a\\readme.20");
    box->setText("logo");
    EXPECT_EQ(ui.window.TreeSelection().size(), 0u);
    QTest::keyClick(ui.window.Tree(), Qt::Key_Escape);
    EXPECT_EQ(ui.SelectedKey(), "a\\readme.20");
    box->setText("zzz");
    ui.window.MenuAction("nclose")->trigger();
    EXPECT_TRUE(box->text().isEmpty());
    ui.Open(SampleArchive(), "again.ARC");
    EXPECT_TRUE(ui.IndexOf("a\\b\\c\\raw.99").isValid());
}

// Sorted by name, names follow their code page 936 bytes: pinyin order for
// simplified Chinese (界 jie before 文 wen, though U+6587 comes before U+754C).
TEST(EntryDetails, NameSortFollowsCodePage936Bytes) {
    UiHarness ui;
    ArcPlan plan;
    plan.records = {Entry(TextToCp936("文本"), 0x20, "w"), Entry(TextToCp936("界面"), 0x20, "j"),
                    Entry("zz", 0x20, "z")};
    ui.Open(plan);
    ui.window.Tree()->sortByColumn(EntryTreeModel::kNameColumn, Qt::AscendingOrder);
    QStringList shown;
    const QModelIndex root = ui.IndexOf("Root");
    for (int row = 0; row < ui.window.Model()->rowCount(root); ++row)
        shown << ui.window.Model()->index(row, 0, root).data().toString();
    EXPECT_EQ(shown.join(' '), QString::fromUtf8("zz.txt 界面.txt 文本.txt"));
}

}  // namespace
}  // namespace tessarin::testing
