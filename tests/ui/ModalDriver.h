#pragma once
// Answers real modal dialogs and popup menus from timers: each step waits for
// a modal widget (or popup) with a given object name and acts on it. Steps may
// open nested dialogs; each poll is its own single-shot timer, so polling goes
// on inside nested event loops. After the deadline every open modal widget is
// closed and the test fails, so a test never hangs.
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace tessarin::testing {

class ModalDriver {
public:
    using Action = std::function<void(QWidget*)>;

    explicit ModalDriver(int deadlineMs = 10000);
    ~ModalDriver();

    // Acts on the next modal widget or popup named objectName.
    ModalDriver& Then(const QString& objectName, Action action);
    // Starts polling; call before the code that opens the first dialog.
    void Start();
    // True when every step has run.
    bool Done() const { return steps_.empty(); }
    const std::vector<std::string>& Failures() const { return failures_; }

private:
    struct Step {
        QString objectName;
        Action action;
    };
    void Schedule();
    void Poll();
    void GiveUp();

    std::deque<Step> steps_;
    std::vector<std::string> failures_;
    int deadlineMs_;
    qint64 startedAt_ = 0;
    std::shared_ptr<bool> token_;
};

}  // namespace tessarin::testing
