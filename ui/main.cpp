// tessarin [ARCHIVE]: the window; an archive named on the command line is
// opened at start exactly as if it had been chosen in the open dialog.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "state/Program.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "ui/ChineseLocale.h"
#include "ui/preview/PreviewWindow.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

namespace {

// The archive named on the command line, made absolute (the tree's root shows
// the full path); empty when none is named.
std::string ArchiveArgument(int argc, char* argv[]) {
#ifdef _WIN32
    // argv is in the ANSI code page there; Qt read its list from the UTF-16
    // command line and took its own options out of it.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1].isEmpty()) return {};
    return QDir::toNativeSeparators(QFileInfo(args[1]).absoluteFilePath()).toStdString();
#else
    if (argc < 2 || argv[1][0] == '\0') return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(argv[1], error);
    return tessarin::NativeToText(error ? std::string(argv[1]) : absolute.string());
#endif
}

// --version and --help are answered on stdout before anything of Qt starts,
// so they need no display. True when one of them was given.
bool AnsweredWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version") {
            std::printf("tessarin %s\n", tessarin::kVersionText);
        } else if (arg == "--help" || arg == "-h") {
            std::printf("用法：tessarin [ARCHIVE]\n"
                        "Tessarin：ARC 资源包浏览与编辑工具。给出 ARCHIVE 时，启动后打开这个档案。\n\n"
                        "  -h, --help     显示本帮助并退出\n"
                        "      --version  显示版本并退出\n");
        } else {
            continue;
        }
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    tessarin::PreparePlatform();
    if (AnsweredWithoutWindow(argc, argv)) return std::fflush(stdout) == 0 ? 0 : 1;
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(tessarin::kProgramTitle);
    QApplication::setApplicationVersion(QString("%1.%2.%3").arg(tessarin::kVersionMajor).arg(tessarin::kVersionMinor).arg(tessarin::kVersionRevision));
    QApplication::setDesktopFileName("tessarin");
    // The interface is Simplified Chinese; Qt's own dialogs (the pickers) follow it.
    tessarin::UseChineseLocale();

    tessarin::frmMain window;
    tessarin::Program program(window);
    // The window keeps the previous version of the archive for 撤销.
    program.undo.kept = true;
    window.Attach(program);
    window.Load();
    if (program.ending) return 0;
    window.show();

    if (const std::string archive = ArchiveArgument(argc, argv); !archive.empty()) {
        window.OpenAtStart(archive);
        if (program.ending) return 0;
    }
    // The benchmark's cycle (bench_ui_open): once the window has been painted
    // with the archive, close the archive (Ctrl+B) and the window, as a user
    // would. With TESSARIN_BENCH_PREVIEW=KEY (bench_ui_preview) the entry KEY
    // is previewed first, and the cycle goes on once the preview has shown it.
    if (qEnvironmentVariableIsSet("TESSARIN_BENCH_CYCLE")) {
        const auto finish = [&window] {
            window.repaint();
            window.MenuAction("nclose")->trigger();
            window.repaint();
            window.close();
        };
        const std::string previewKey = qEnvironmentVariable("TESSARIN_BENCH_PREVIEW").toStdString();
        QTimer::singleShot(0, &window, [&window, &program, finish, previewKey] {
            if (previewKey.empty()) return finish();
            window.repaint();
            window.TreeSelect(program.tree.Find(previewKey));
            window.PreviewSelected(true);
            tessarin::PreviewWindow* preview = window.Preview();
            if (!preview) return finish();
            QObject::connect(preview, &tessarin::PreviewWindow::shown, &window, [preview, finish] {
                preview->repaint();
                finish();
            });
        });
    }
    const int result = QApplication::exec();
    program.files.CloseAll();
    // Every change was written by the command that made it, the archive is
    // closed and the window is gone: the rest is teardown of the window
    // system's connections (input method, accessibility, clipboard, fonts),
    // which on a desktop session can keep the process alive for seconds.
    // The system reclaims all of it at once.
    std::fflush(nullptr);
    std::_Exit(result);
}
