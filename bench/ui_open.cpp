// Opens 32767-entry archives in the real window (offscreen platform) and prints
// how long it takes until the tree is shown, then how long the window takes to
// answer a scroll to the end and a click there. Goal: open under 500 ms.
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <cstdio>
#include <string>

#include "app/Program.h"
#include "support/ArcBuilder.h"
#include "ui/EntryTreeModel.h"
#include "ui/EntryTreeView.h"
#include "ui/ModalPrompts.h"
#include "ui/frmMain.h"

namespace {

using tessarin::testing::ArcPlan;
using tessarin::testing::RecordPlan;

constexpr int kEntries = 32767;

// flat: every entry right under the root (the expanded root then shows them all);
// otherwise nested folders, some with double-byte names.
ArcPlan MakeArchive(bool flat) {
    ArcPlan archive;
    archive.records.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        RecordPlan record;
        record.name = flat ? "file" + std::to_string(i)
                           : "data\\level" + std::to_string(i % 7) + "\\\xD7\xCA\xD4\xB4" + std::to_string(i % 97) +
                                 "\\file" + std::to_string(i);
        record.typeCode = 0x1A + i % 5;
        record.data = "x";
        record.orgSize = 1;
        archive.records.push_back(std::move(record));
    }
    return archive;
}

// Nothing modal may stop the measurement.
class SilentPrompts : public tessarin::ModalPrompts {
public:
    void Message(QWidget*, const QString& text, tessarin::MsgIcon, const QString&) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    int Choose(QWidget*, const QString& text, tessarin::MsgIcon, const QString&, const QStringList&) override {
        std::fprintf(stderr, "question: %s\n", qPrintable(text));
        return -1;
    }
    QString OpenFile(const tessarin::OpenFileRequest&) override { return {}; }
    QString Folder(const tessarin::FolderRequest&) override { return {}; }
    QAction* Popup(QMenu&, const QPoint&) override { return nullptr; }
    int Exec(QDialog&) override { return 0; }
};

void Run(const char* shape, bool flat) {
    tessarin::testing::TempDir dir;
    const std::string path = dir / "big.arc";
    tessarin::testing::WriteFileBytes(path, tessarin::testing::BuildArc(MakeArchive(flat)));

    tessarin::frmMain window;
    tessarin::Program program(window);
    window.SetPrompts(std::make_unique<SilentPrompts>());
    window.SetEndAction([] {});
    window.Attach(program);
    window.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    window.OpenAtStart(path);
    QApplication::processEvents();
    window.grab();  // paints the window with its tree
    const double openMs = timer.nsecsElapsed() / 1e6;

    timer.restart();
    auto* tree = window.Tree();
    if (!flat) tree->expandRecursively(window.Model()->index(0, 0), 2);
    tree->verticalScrollBar()->setValue(tree->verticalScrollBar()->maximum());
    QApplication::processEvents();
    const QModelIndex last = tree->indexAt(QPoint(5, tree->viewport()->height() - 5));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(last).center());
    window.grab();
    const double answerMs = timer.nsecsElapsed() / 1e6;

    std::printf("%-6s %d entries, %zu nodes: open and show %.1f ms (goal < 500 ms)%s; scroll to end and click %.1f ms\n",
                shape, static_cast<int>(program.arc.ArcEntries.size()), program.tree.Size(), openMs,
                openMs < 500 ? "" : "  SLOW", answerMs);
    program.files.CloseAll();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Run("flat", true);
    Run("nested", false);
    return 0;
}
