#include "UiHarness.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

namespace tessarin::testing {

ModalDriver::~ModalDriver() {
    for (const auto& step : steps_) ADD_FAILURE() << "\"" << step.first.toStdString() << "\" never showed";
}

void ModalDriver::Schedule() {
    QTimer::singleShot(10, this, [this] {
        QWidget* top = QApplication::activePopupWidget();
        if (!top) top = QApplication::activeModalWidget();
        Schedule();  // armed before acting: the action may open a nested dialog
        if (steps_.empty() || !top || !top->isVisible() || top->objectName() != steps_.front().first) return;
        const Action action = std::move(steps_.front().second);
        steps_.pop_front();
        action(top);
    });
}

void Press(QWidget* dialog, const char* button) {
    auto* b = dialog->findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    b->click();
}

ArcPlan SampleArchive() {
    return Archive({Entry("top", 0x1A, "top data"), Entry("a\\readme", 0x20, "read me"),
                    Entry("a\\b\\logo", 0x1A, std::string(3000, 'x')), Entry("a\\b\\c\\raw", 0x99, "raw")});
}

UiHarness::UiHarness(bool scripted) {
    if (scripted) window.SetPrompts(std::unique_ptr<ScriptedPrompts>(prompts = new ScriptedPrompts));
    window.SetEndAction([this] { ++ended; });
    window.Attach(program);
    modelTester = std::make_unique<QAbstractItemModelTester>(window.Model(),
                                                             QAbstractItemModelTester::FailureReportingMode::Fatal);
    AddExtType(program.ExtTypes, "1A", "png");
    AddExtType(program.ExtTypes, "20", "txt");
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) ADD_FAILURE() << "main window not active";
}

void UiHarness::Open(const ArcPlan& archive, const std::string& name) {
    WriteFileBytes(dir / name, BuildArc(archive));
    window.OpenAtStart(dir / name);
    window.Tree()->expandAll();
}

std::string UiHarness::SelectedKey() const {
    const NodeId node = window.TreeSelected();
    return node == kNoNode ? std::string() : program.tree.Node(node).key;
}

void UiHarness::Click(Qt::MouseButton button, const std::string& key) {
    QPoint pos(10, window.Tree()->viewport()->height() - 3);
    if (!key.empty()) {
        ASSERT_TRUE(IndexOf(key).isValid()) << key;
        pos = Centre(key);
    }
    QTest::mouseClick(window.Tree()->viewport(), button, Qt::NoModifier, pos);
}

}  // namespace tessarin::testing
