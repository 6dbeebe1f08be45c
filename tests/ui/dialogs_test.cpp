// The real dialogs, answered from timers: message boxes, the two pickers, the
// context menu, the properties dialog and the about box.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "ModalDriver.h"
#include "UiHarness.h"
#include "core/OpenClose.h"
#include "ui/frmInfo.h"

namespace tessarin::testing {
namespace {

void Press(QWidget* dialog, const char* button) {
    QPushButton* b = dialog->findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

void ExpectDriverDone(const ModalDriver& driver) {
    EXPECT_TRUE(driver.Done());
    for (const std::string& failure : driver.Failures()) ADD_FAILURE() << failure;
}

TEST(Dialogs, MessageBoxShowsIconTitleAndLineBreaks) {
    const std::pair<MsgIcon, QMessageBox::Icon> icons[] = {{MsgIcon::Information, QMessageBox::Information},
                                                           {MsgIcon::Warning, QMessageBox::Warning},
                                                           {MsgIcon::Stop, QMessageBox::Critical}};
    UiHarness ui(false);
    for (const auto& [icon, qtIcon] : icons) {
        ModalDriver driver;
        QString text, title;
        QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
        driver.Then("MsgBox", [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            text = box->text();
            title = box->windowTitle();
            shownIcon = box->icon();
            box->button(QMessageBox::Ok)->click();
        });
        driver.Start();
        ui.window.MsgBox("a\r\nb <b>c</b>", icon, "提示");
        ExpectDriverDone(driver);
        EXPECT_EQ(text, "a\nb <b>c</b>");
        EXPECT_EQ(title, QString::fromUtf8("提示"));
        EXPECT_EQ(shownIcon, qtIcon);
    }
}

// The open dialog offers the archive filter, finds .arc in any letter case,
// and answers the path, a NUL and filler; cancel answers "".
TEST(Dialogs, OpenDialogMatchesArchivesInAnyCaseAndAnswersPathThenNul) {
    UiHarness ui(false);
    for (const char* name : {"lower.arc", "mixed.Arc", "upper.ARC", "other.txt"}) WriteFileBytes(ui.dir / name, "x");
    const QString dir = QString::fromStdString(ui.dir.path());

    ModalDriver driver;
    QStringList filters, visible;
    QWidget* parent = nullptr;
    driver.Then("OpenFileDialog", [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        filters = dialog->nameFilters();
        parent = dialog->parentWidget();
        dialog->setDirectory(dir);
        auto* view = dialog->findChild<QAbstractItemView*>("listView");
        const auto rows = [&] { return view->model()->rowCount(view->rootIndex()); };
        if (!QTest::qWaitFor([&] { return rows() >= 3; }, 5000)) ADD_FAILURE() << "directory not listed";
        QTest::qWait(100);  // let the last files arrive
        for (int r = 0; r < rows(); ++r) visible << view->model()->index(r, 0, view->rootIndex()).data().toString();
        // Typed as the user would: selectFile leaves a focused name field alone.
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("mixed.Arc");
        static_cast<QDialog*>(dialog)->accept();
    });
    driver.Start();
    const std::string answer = ui.window.ShowOpenDialog(frmMain::kMainHandle, kArcFilter, "");
    ExpectDriverDone(driver);
    EXPECT_EQ(filters, QStringList{QString::fromUtf8("ARC文件 (*.ARC)")});
    EXPECT_EQ(parent, &ui.window);
    visible.sort();
    EXPECT_EQ(visible, (QStringList{"lower.arc", "mixed.Arc", "upper.ARC"}));
    const std::string path = ui.dir / "mixed.Arc";
    ASSERT_GT(answer.size(), path.size());
    EXPECT_EQ(answer.substr(0, answer.find('\0')), path);
    EXPECT_EQ(answer.size(), 255u);

    ModalDriver cancel;
    cancel.Then("OpenFileDialog", [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    cancel.Start();
    EXPECT_EQ(ui.window.ShowOpenDialog(frmMain::kMainHandle, kArcFilter, ""), "");
    ExpectDriverDone(cancel);
}

TEST(Dialogs, FolderDialogAnswersTheFolderAsThePlatformGivesIt) {
    UiHarness ui(false);
    std::filesystem::create_directory(ui.dir / "out");
    const QString out = QString::fromStdString(ui.dir / "out");
    ModalDriver driver;
    QString caption, initial;
    driver.Then("FolderDialog", [&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        caption = dialog->windowTitle();
        initial = dialog->directory().absolutePath();
        dialog->selectFile(out);
        static_cast<QDialog*>(dialog)->accept();
    });
    driver.Start();
    const std::string folder =
        ui.window.BrowseForFolder(frmMain::kMainHandle, "选择目录:\r\n导出到", ui.dir.path() + "/", BIF_NEWDIALOGSTYLE);
    ExpectDriverDone(driver);
    EXPECT_EQ(folder, ui.dir / "out");
    EXPECT_EQ(caption, QString::fromUtf8("选择目录: 导出到"));
    EXPECT_EQ(initial, QString::fromStdString(ui.dir.path()));  // trailing separator removed

    ModalDriver cancel;
    cancel.Then("FolderDialog", [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    cancel.Start();
    EXPECT_EQ(ui.window.BrowseForFolder(frmMain::kMainHandle, "x", "", BIF_NEWDIALOGSTYLE), "");
    ExpectDriverDone(cancel);
}

TEST(Dialogs, ContextMenuReturnsTheChosenItemOrNone) {
    UiHarness ui(false);
    const std::pair<const char*, TreeMenuChoice> rows[] = {{"expfile", TreeMenuChoice::ExpFile},
                                                           {"repalcefile", TreeMenuChoice::RepalceFile},
                                                           {"fproperty", TreeMenuChoice::FProperty},
                                                           {"", TreeMenuChoice::None}};
    for (const auto& [item, expected] : rows) {
        ModalDriver driver;
        QStringList captions;
        driver.Then("tvwmenu", [&, item = item](QWidget* w) {
            auto* menu = qobject_cast<QMenu*>(w);
            for (const QAction* action : menu->actions()) captions << action->text();
            if (*item) {
                menu->setActiveAction(menu->findChild<QAction*>(item));
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        driver.Start();
        EXPECT_EQ(ui.window.PopupTreeMenu(), expected) << item;
        ExpectDriverDone(driver);
        EXPECT_EQ(captions, (QStringList{QString::fromUtf8("导出文件"), QString::fromUtf8("替换文件"), "",
                                         QString::fromUtf8("属性")}));
    }
}

TEST(Dialogs, PropertiesDialogShowsTheEntryAndItsButtonsActOnItWithTheDialogAsOwner) {
    UiHarness ui(false);
    ui.Open(SampleArchive());
    ui.Click(Qt::LeftButton, "a\\b\\logo.1A");

    ModalDriver driver;
    std::map<QString, QString> texts;
    QString caption, frame;
    QSize size;
    bool modal = false, readOnly = true;
    QWidget* info = nullptr;
    QWidget* folderParent = nullptr;
    QWidget* openParent = nullptr;
    driver
        .Then("frmInfo",
              [&](QWidget* w) {
                  info = w;
                  caption = w->windowTitle();
                  size = w->size();
                  modal = w->isModal();
                  frame = w->findChild<QGroupBox*>("Frame1")->title();
                  for (int n = 1; n <= 6; ++n) {
                      auto* field = w->findChild<QLineEdit*>(QStringLiteral("Text%1").arg(n));
                      texts[field->objectName()] = field->text();
                      readOnly &= field->isReadOnly();
                  }
                  for (int n = 1; n <= 5; ++n) {
                      auto* label = w->findChild<QLabel*>(QStringLiteral("Label%1").arg(n));
                      texts[label->objectName()] = label->text();
                  }
                  Press(w, "Command1");  // export: asks for a folder over frmInfo
              })
        .Then("FolderDialog",
              [&](QWidget* w) {
                  folderParent = w->parentWidget();
                  qobject_cast<QDialog*>(w)->reject();
                  QTimer::singleShot(0, [info] { Press(info, "Command2"); });  // replace
              })
        .Then("OpenFileDialog",
              [&](QWidget* w) {
                  openParent = w->parentWidget();
                  qobject_cast<QDialog*>(w)->reject();
                  QTimer::singleShot(0, [info] { Press(info, "Command3"); });  // OK closes
              });
    driver.Start();
    ui.window.MenuAction("nproperty")->trigger();
    ExpectDriverDone(driver);

    EXPECT_EQ(caption, QString::fromUtf8(" 属性"));
    EXPECT_EQ(frame, QString::fromUtf8("常规"));
    EXPECT_EQ(size, QSize(333, 303));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(readOnly);
    const std::map<QString, QString> expected = {
        {"Text1", "logo.png"},
        {"Text2", "png"},
        {"Text3", "1A"},
        {"Text4", "a\\b\\"},
        {"Text5", QString::number(ui.program.arc.ArcEntries[2].ArcFileOFSET)},
        {"Text6", QString::fromUtf8("3 KB (3,000 字节)")},
        {"Label1", QString::fromUtf8("文件类型:")},
        {"Label2", QString::fromUtf8("文件标识:")},
        {"Label3", QString::fromUtf8("位置:")},
        {"Label4", QString::fromUtf8("偏移地址:")},
        {"Label5", QString::fromUtf8("文件大小:")},
    };
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(folderParent, info);
    EXPECT_EQ(openParent, info);
}

TEST(Dialogs, AboutBoxShowsTitleAndVersionEachTime) {
    UiHarness ui(false);
    for (int showing = 0; showing < 2; ++showing) {
        ModalDriver driver;
        QString caption, title, version;
        bool picture = false;
        driver.Then("frmAbout", [&](QWidget* w) {
            caption = w->windowTitle();
            title = w->findChild<QLabel*>("lblTitle")->text();
            version = w->findChild<QLabel*>("lblVersion")->text();
            picture = !w->findChild<QLabel*>("Picture1")->pixmap().isNull();
            Press(w, "Command1");
        });
        driver.Start();
        ui.window.MenuAction("nabout")->trigger();
        ExpectDriverDone(driver);
        EXPECT_EQ(caption, QString::fromUtf8("关于 Tessarin"));
        EXPECT_EQ(title, "Tessarin");
        EXPECT_EQ(version, "Version 1.1.0");
        EXPECT_TRUE(picture);
    }
}

}  // namespace
}  // namespace tessarin::testing
