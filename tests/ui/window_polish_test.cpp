// The main window's edges: the previous version gone however the window ends,
// 新建档案 refusing a name already taken and a refused rename kept in its
// editor: real widgets on the offscreen platform.
#include <QApplication>
#include <QLineEdit>

#include "UiHarness.h"
#include "core/platform/Temporaries.h"
#include "ui/QtText.h"

namespace tessarin::testing {
namespace {

void Menu(UiHarness& ui, const char* item) { ui.window.MenuAction(item)->trigger(); }

// The previous version goes however the window ends; the window's own open
// sweeps one that a killed run left.
TEST(PreviousVersion, GoesHoweverTheWindowEndsOrLeavesTheArchive) {
    const std::pair<const char*, std::function<void(UiHarness&)>> rows[] = {
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
        OpenHarness ui;
        ui.Select(row.node);
        QLineEdit* editor = TypeName(ui, row.typed);
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !ui.prompts->messages.isEmpty(); }, 2000));
        EXPECT_EQ(std::pair(QApplication::focusWidget() == editor, editor->text()), std::pair(true, row.typed));
        EXPECT_TRUE(ui.prompts->messages.value(0).contains(QString::fromUtf8(row.why)));
        TypeName(ui, QString::fromUtf8(row.corrected));
        EXPECT_TRUE(QTest::qWaitFor([&] { return ui.SelectedKey() == row.after; }, 2000)) << ui.SelectedKey();
    }
}

}  // namespace
}  // namespace tessarin::testing
