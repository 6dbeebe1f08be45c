// tessarin [ARCHIVE]: the window; an archive named on the command line is
// opened at start exactly as if it had been chosen in the open dialog.
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <filesystem>
#include <string>

#include "app/Program.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

namespace {

// The path as given, made absolute: the tree's root shows the full path.
std::string AbsolutePath(const char* arg) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(arg, error);
    return tessarin::NativeToText(error ? std::string(arg) : absolute.string());
}

}  // namespace

int main(int argc, char* argv[]) {
    tessarin::PreparePlatform();
    QApplication app(argc, argv);  // takes Qt's own options out of argv
    QApplication::setApplicationName(tessarin::kProgramTitle);
    QApplication::setApplicationVersion(QString("%1.%2.%3").arg(tessarin::kVersionMajor).arg(tessarin::kVersionMinor).arg(tessarin::kVersionRevision));
    QApplication::setDesktopFileName("tessarin");
    // The interface is Simplified Chinese; Qt's own dialogs (the pickers) follow it.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    tessarin::frmMain window;
    tessarin::Program program(window);
    window.Attach(program);
    window.Load();
    if (program.ending) return 0;
    window.show();

    if (argc > 1 && argv[1][0] != '\0') {
        window.OpenAtStart(AbsolutePath(argv[1]));
        if (program.ending) return 0;
    }
    const int result = QApplication::exec();
    program.files.CloseAll();
    return result;
}
