// The UI tests run real widgets on the offscreen platform under one QApplication.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace {

// Last line of defence against a modal dialog no test answers: one that stays
// open for 20 seconds fails the running test and is closed.
void StartModalWatchdog() {
    static QPointer<QWidget> seen;
    static int seconds = 0;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activePopupWidget();
        if (!modal) modal = QApplication::activeModalWidget();
        if (!modal || modal != seen) {
            seen = modal;
            seconds = 0;
            return;
        }
        if (++seconds < 20) return;
        ADD_FAILURE() << "modal widget \"" << modal->objectName().toStdString() << "\" left open; closing it";
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
    timer->start(1000);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs this binary without the test environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    StartModalWatchdog();
    return RUN_ALL_TESTS();
}
