#include "ModalDriver.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <QWidget>

namespace tessarin::testing {

namespace {

QWidget* TopModal() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    return QApplication::activeModalWidget();
}

}  // namespace

ModalDriver::ModalDriver(int deadlineMs) : deadlineMs_(deadlineMs), token_(std::make_shared<bool>(true)) {}

ModalDriver::~ModalDriver() { *token_ = false; }

ModalDriver& ModalDriver::Then(const QString& objectName, Action action) {
    steps_.push_back({objectName, std::move(action)});
    return *this;
}

void ModalDriver::Start() {
    startedAt_ = QDateTime::currentMSecsSinceEpoch();
    Schedule();
}

void ModalDriver::Schedule() {
    std::weak_ptr<bool> alive = token_;
    QTimer::singleShot(10, [this, alive] {
        if (const auto token = alive.lock(); token && *token) Poll();
    });
}

void ModalDriver::Poll() {
    QWidget* top = TopModal();
    const bool late = QDateTime::currentMSecsSinceEpoch() - startedAt_ > deadlineMs_;
    if (steps_.empty()) {
        // Every step ran; a dialog still open after the deadline would hang the test.
        if (top && late) {
            GiveUp();
        } else {
            Schedule();
        }
        return;
    }
    if (late) {
        GiveUp();
        return;
    }
    if (!top || !top->isVisible() || top->objectName() != steps_.front().objectName) {
        Schedule();
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    // The next poll is armed before acting: the action may open a nested dialog.
    Schedule();
    step.action(top);
}

void ModalDriver::GiveUp() {
    QWidget* top = TopModal();
    const std::string waited = steps_.empty() ? "the last dialog to close" : "\"" + steps_.front().objectName.toStdString() + "\"";
    failures_.push_back("timed out waiting for " + waited + ", top modal is \"" +
                        (top ? top->objectName().toStdString() : std::string("none")) + "\"");
    steps_.clear();
    startedAt_ = QDateTime::currentMSecsSinceEpoch();
    // Close whatever is still open so the test can go on and fail.
    for (int guard = 0; guard < 20; ++guard) {
        QWidget* widget = TopModal();
        if (!widget) break;
        if (auto* dialog = qobject_cast<QDialog*>(widget)) {
            dialog->reject();
        } else {
            widget->close();
        }
        QApplication::processEvents();
    }
    Schedule();
}

}  // namespace tessarin::testing
