// The real dialogs, answered by a ModalDriver: message boxes and the about box,
// the pickers with their filters, the context menu and the properties dialog.
// Checks run inside the driver's steps; a step that never ran fails the test.
#include <QDir>
#include <QAbstractItemView>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <QLocale>
#include <QCoreApplication>

#include "UiHarness.h"
#include "app/OpenClose.h"
#include "ui/ChineseLocale.h"
#include "ui/PickerFilter.h"

namespace tessarin::testing {
namespace {

void Reject(QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); }

// The names a file dialog lists, sorted, once at least `atLeast` show: it
// lists on a thread, and is given a moment more for the last ones.
QStringList Listed(QWidget* dialog, int atLeast) {
    auto* view = dialog->findChild<QAbstractItemView*>("listView");
    const auto names = [view] {
        QStringList found;
        for (int r = 0; r < view->model()->rowCount(view->rootIndex()); ++r)
            found << view->model()->index(r, 0, view->rootIndex()).data().toString();
        found.sort();
        return found;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return names().size() >= atLeast; }, 5000)) << "folder not listed";
    QTest::qWait(100);
    return names();
}

// Types name as the user would (selectFile leaves a focused name field alone) and accepts.
void ChooseTyped(QWidget* dialog, const QString& name) {
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
    qobject_cast<QDialog*>(dialog)->accept();
}

// The about box shows the title and version; message boxes show plain text with
// line breaks under their icon and title.
TEST(Dialogs, MessageBoxesAndTheAboutBoxShowTheirTextsUnderTheirTitles) {
    UiHarness ui(false);
    for (const auto& [icon, qtIcon] : {std::pair{MsgIcon::Information, QMessageBox::Information},
                                       {MsgIcon::Warning, QMessageBox::Warning},
                                       {MsgIcon::Stop, QMessageBox::Critical}}) {
        SCOPED_TRACE(static_cast<int>(icon));
        ModalDriver driver("MsgBox", [&, qtIcon = qtIcon](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            // Plain text: names from an archive are never markup.
            EXPECT_EQ(std::tuple(box->text(), box->textFormat(), box->windowTitle(), box->icon()),
                      std::tuple(QString("a\nb <b>c</b>\nd"), Qt::PlainText, QString::fromUtf8("提示"), qtIcon));
            box->button(QMessageBox::Ok)->click();
        });
        ui.window.MsgBox("a\r\nb <b>c</b>\rd", icon, "提示");
    }
    // A yes/no question shows the question icon and 是(&Y), 否(&N): Alt+Y or
    // Y answers true, Alt+N or N false, as well as a click.
    const struct { Qt::Key key; Qt::KeyboardModifiers modifiers; bool yes; } answers[] = {
        {Qt::Key_Y, Qt::AltModifier, true}, {Qt::Key_Y, Qt::NoModifier, true},
        {Qt::Key_N, Qt::AltModifier, false}, {Qt::Key_N, Qt::NoModifier, false}};
    for (const auto& answer : answers) {
        SCOPED_TRACE(QKeySequence(answer.modifiers | answer.key).toString().toStdString());
        ModalDriver driver("ChoiceBox", [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            EXPECT_EQ(box->icon(), QMessageBox::Question);
            QStringList texts;
            for (QAbstractButton* button : box->buttons()) texts << button->text();
            texts.sort();
            EXPECT_EQ(texts, (QStringList{QString::fromUtf8("否(&N)"), QString::fromUtf8("是(&Y)")}));
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));  // Alt+Y reaches the active window
            QTest::keyClick(box, answer.key, answer.modifiers);
        });
        EXPECT_EQ(ui.window.AskYesNo("替换？", "Tessarin"), answer.yes) << answer.modifiers;
    }
    ModalDriver driver("frmAbout", [](QWidget* w) {
        const auto label = [w](const char* name) { return w->findChild<QLabel*>(name); };
        EXPECT_EQ(std::tuple(w->windowTitle(), label("lblTitle")->text(), label("lblVersion")->text(),
                             label("Picture1")->pixmap().isNull()),
                  std::tuple(QString::fromUtf8("关于 Tessarin"), QString("Tessarin"), QString("Version 1.1.0"), false));
        Press(w, "Command1");
    });
    ui.window.MenuAction("nabout")->trigger();
}

// Qt's own texts and formats are Chinese: a standard button, a size, a month.
TEST(Dialogs, QtTextsAndFormatsAreChinese) {
    QTranslator* translator = UseChineseLocale();
    ASSERT_NE(translator, nullptr) << "Qt's zh_CN translations are not installed";
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
    EXPECT_EQ(QLocale().language(), QLocale::Chinese);
    EXPECT_TRUE(QLocale().monthName(12).contains(QString::fromUtf8("月")));
    // What Qt's catalogue leaves in English: the pickers' type of a folder.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"),
              QString::fromUtf8("文件夹"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
    QLocale::setDefault(QLocale::c());
}

// The folder picker starts without the trailing separator and answers the
// folder. The open picker matches archives in any case and answers the path, a
// NUL and filler up to 255 bytes. Cancelled, both answer "".
TEST(Dialogs, FolderAndOpenDialogsAnswerWhatWasChosenOrNothing) {
    UiHarness ui(false);
    CreateDirectories(ui.dir / "out");
    for (const char* name : {"lower.arc", "mixed.Arc", "upper.ARC", "other.txt"}) WriteFileBytes(ui.dir / name, "x");
    ModalDriver driver("FolderDialog", [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("选择目录: 导出到"));
        EXPECT_EQ(dialog->directory().absolutePath(), QDir::fromNativeSeparators(QString::fromStdString(ui.dir.path())));
        EXPECT_EQ(Listed(dialog, 1), QStringList{"out"});
        ChooseTyped(dialog, "out");
    });
    EXPECT_EQ(ui.window.BrowseForFolder(frmMain::kMainHandle, "选择目录:\r\n导出到", ui.dir / "", BIF_NEWDIALOGSTYLE),
              Native(ui.dir / "out"));
    driver.Then("FolderDialog", Reject);
    EXPECT_EQ(ui.window.BrowseForFolder(frmMain::kMainHandle, "x", "", BIF_NEWDIALOGSTYLE), "");
    driver.Then("OpenFileDialog", [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        EXPECT_EQ(dialog->nameFilters(), QStringList{QString::fromUtf8("ARC文件 (*.ARC)")});
        EXPECT_EQ(dialog->parentWidget(), &ui.window);
        dialog->setDirectory(QString::fromStdString(ui.dir.path()));
        EXPECT_EQ(Listed(dialog, 4), (QStringList{"lower.arc", "mixed.Arc", "out", "upper.ARC"}));
        ChooseTyped(dialog, "mixed.Arc");
    });
    const std::string path = Native(ui.dir / "mixed.Arc");
    EXPECT_EQ(ui.window.ShowOpenDialog(frmMain::kMainHandle, kArcFilter, ""),
              path + '\0' + std::string(254 - path.size(), ' '));
    driver.Then("OpenFileDialog", Reject);
    EXPECT_EQ(ui.window.ShowOpenDialog(frmMain::kMainHandle, kArcFilter, ""), "");
}

// The save picker of 新建档案 answers a name already taken without asking
// whether to replace it (the window refuses it with its own message).
TEST(Dialogs, SaveDialogNeverAsksToReplaceAndShowsSizesInChinese) {
    UiHarness ui(false);
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    WriteFileBytes(ui.dir / "taken.arc", std::string(75, 'x'));
    ModalDriver driver("SaveFileDialog", [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QString::fromUtf8("ARC文件 (*.ARC)")});
        EXPECT_EQ(Listed(dialog, 1), QStringList{"taken.arc"});
        // Sizes in the default locale's words, not the system's ("75 bytes").
        const auto* view = dialog->findChild<QAbstractItemView*>("listView");
        EXPECT_EQ(view->model()->index(0, 1, view->rootIndex()).data().toString(), QString::fromUtf8("75 字节"));
        ChooseTyped(dialog, "taken.arc");
    });
    SaveFileRequest request;
    request.filters = ToQtNameFilters(QString::fromUtf8(kArcFilter));
    request.initialFolder = QString::fromStdString(ui.dir.path());
    EXPECT_EQ(QtModalPrompts().SaveFile(request).toStdString(), Native(ui.dir / "taken.arc"));
    QLocale::setDefault(before);
}

TEST(Dialogs, ContextMenuReturnsTheChosenItemOrNone) {
    OpenHarness ui(false);
    ui.Select("top.1A");  // replace and properties take an entry
    for (const auto& [item, expected] : {std::pair{"expfile", TreeMenuChoice::ExpFile},
                                         {"repalcefile", TreeMenuChoice::RepalceFile},
                                         {"fproperty", TreeMenuChoice::FProperty}, {"", TreeMenuChoice::None}}) {
        SCOPED_TRACE(*item ? item : "dismissed");
        ModalDriver driver("tvwmenu", [item = item](QWidget* w) {
            auto* menu = qobject_cast<QMenu*>(w);
            QStringList captions;  // without the keys shown after a tab
            for (const QAction* action : menu->actions()) captions << action->text().section('\t', 0, 0);
            EXPECT_EQ(captions.join('|'),
                      QString::fromUtf8("导出文件|替换文件||属性||预览(&V)|添加文件(&W)…|删除(&L)|重命名(&M)"));
            if (*item) menu->setActiveAction(menu->findChild<QAction*>(item));
            QTest::keyClick(menu, *item ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(ui.window.PopupTreeMenu(), expected) << item;
    }
}

TEST(Dialogs, PropertiesDialogShowsTheEntryAndItsButtonsActOnItWithTheDialogAsOwner) {
    OpenHarness ui(false);
    ui.Click(Qt::LeftButton, "a\\b\\logo.1A");
    const QString offset = QString::number(ui.program.arc.ArcEntries[2].ArcFileOFSET);
    QWidget* info = nullptr;
    ModalDriver driver("frmInfo", [&](QWidget* w) {
        info = w;
        EXPECT_EQ(std::pair(w->size(), w->windowTitle()), std::pair(QSize(333, 303), QString::fromUtf8(" 属性")));
        QStringList texts;
        for (int n = 1; n <= 6; ++n) {
            const auto* field = w->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
            texts << field->text() + (field->isReadOnly() ? "" : " (editable)");
        }
        EXPECT_EQ(texts.join(", "), QString::fromUtf8("logo.png, png, 1A, a\\b\\, %1, 3 KB (3,000 字节)").arg(offset));
        for (const char* button : {"Command1", "Command2", "Command3"}) Press(w, button);  // export, replace, OK
        EXPECT_FALSE(w->isVisible());
    });
    // Export asks for a folder and replace for a source, both over the dialog.
    const auto overInfo = [&info](QWidget* w) {
        EXPECT_EQ(w->parentWidget(), info);
        Reject(w);
    };
    driver.Then("FolderDialog", overInfo).Then("OpenFileDialog", [&](QWidget* w) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(w)->nameFilters(), QStringList{QString::fromUtf8("所有文件 *.* (*)")});
        overInfo(w);
    });
    ui.window.MenuAction("nproperty")->trigger();
}

}  // namespace
}  // namespace tessarin::testing
