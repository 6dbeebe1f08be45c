// The UI tests run real widgets on the offscreen platform under one QApplication.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs this binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // What the window remembers goes to a folder of this run, never the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
#ifdef _WIN32
    // The native format there is the registry, which takes no path: a file of this run instead.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
#endif
    // Watchdog: a modal widget left open for 15 seconds fails the test and is closed.
    QPointer<QWidget> seen;
    int seconds = 0;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal) modal = QApplication::activeModalWidget();
        if (!modal || modal != seen) {
            seen = modal;
            seconds = 0;
        } else if (++seconds >= 15) {
            ADD_FAILURE() << "modal widget \"" << modal->objectName().toStdString() << "\" left open; closing it";
            modal->close();  // a dialog closed is rejected
        }
    });
    watchdog.start(1000);
    return RUN_ALL_TESTS();
}
