// The client area's layout on resize: toolbar and status bar docked at the
// edges, the tree filling the space between them, ProgressBar1 over the first
// status panel and ProgressBar2 in the middle.
#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSizeGrip>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cmath>

#include "ui/treeview/EntryFilterBox.h"
#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/Twips.h"
#include "ui/frmMain.h"

namespace tessarin {

namespace {

constexpr int kToolbarHeight = 360 / kTwipsPerPixel;
constexpr int kStatusBarHeight = 270 / kTwipsPerPixel;
constexpr int kPanel2Width = 1875 / kTwipsPerPixel;
constexpr int kPanel3Width = 1440 / kTwipsPerPixel;
constexpr int kPanel1MinWidth = 1440 / kTwipsPerPixel;
constexpr int kPanelGap = 2;
constexpr int kGripWidth = 18;
// At the start width of 632 pixels panel 1 is 5835 twips (389 pixels) wide.
constexpr int kPanelsReserved = kPanel2Width + kPanel3Width + 2 * kPanelGap + kGripWidth;
constexpr int kCheck1Left = 2610 / kTwipsPerPixel;
constexpr int kCheck1Width = 2925 / kTwipsPerPixel;

}  // namespace

int frmMain::StatusBarHeight() const {
    // The design's 18 pixels, or more when the font needs it (CJK glyphs are tall).
    return std::max(kStatusBarHeight, panels_[0]->fontMetrics().height() + 4);
}

int frmMain::PanelPixels(int panel) const {
    const int width = client_->width();
    switch (panel) {
    case 1: return std::max(kPanel1MinWidth, width - kPanelsReserved);
    case 2: return kPanel2Width;
    case 3: return kPanel3Width;
    default: return 0;
    }
}

int frmMain::PanelWidth(int panel) const { return PixelsToTwips(PanelPixels(panel)); }

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) LayoutClient();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::LayoutClient() {
    const double W = client_->width();
    const double H = client_->height();
    const int statusHeight = StatusBarHeight();

    // Docked controls keep the full width at their edges.
    tbToolBar->setGeometry(0, 0, static_cast<int>(W), kToolbarHeight);
    const QSize check = Check1->sizeHint();
    Check1->setGeometry(kCheck1Left, (kToolbarHeight - check.height()) / 2, std::max(kCheck1Width, check.width()),
                        check.height());
    // The filter box takes the toolbar's room right of Check1.
    const int filterLeft = Check1->geometry().right() + 8;
    const QSize filter = filterBox_->sizeHint();
    const int filterHeight = std::min(filter.height(), kToolbarHeight - 2);
    filterBox_->setGeometry(filterLeft, (kToolbarHeight - filterHeight) / 2,
                            std::max(80, static_cast<int>(W) - filterLeft - 4), filterHeight);
    sbStatusBar->setGeometry(0, static_cast<int>(H) - statusHeight, static_cast<int>(W), statusHeight);
    int x = 0;
    for (int panel = 1; panel <= 3; ++panel) {
        panels_[panel - 1]->setGeometry(x, 0, PanelPixels(panel), statusHeight);
        x += PanelPixels(panel) + kPanelGap;
    }
    grip_->setGeometry(static_cast<int>(W) - kGripWidth, 0, kGripWidth, statusHeight);

    // 1-2: the tree fills the width and the space between toolbar and status bar;
    // with no space left its height is 0 (a negative height is never set).
    const double treeHeight = H - kToolbarHeight - statusHeight;
    TreeView1->setGeometry(0, kToolbarHeight, static_cast<int>(W), static_cast<int>(std::max(0.0, treeHeight)));
    // 3-4: ProgressBar1 one pixel above the bottom edge, as wide as panel 1.
    ProgressBar1->setGeometry(0, static_cast<int>(std::lround(H - ProgressBar1->height() - 1)), PanelPixels(1),
                              ProgressBar1->height());
    // 5-6: ProgressBar2 centred.
    ProgressBar2->move(static_cast<int>(std::lround(W / 2 - ProgressBar2->width() / 2.0)),
                       static_cast<int>(std::lround(H / 2 - ProgressBar2->height() / 2.0)));
    // The stop button right of ProgressBar2, centred on it.
    const QSize stop = stopButton_->sizeHint();
    const QRect bar = ProgressBar2->geometry();
    stopButton_->setGeometry(bar.right() + 7, bar.center().y() - stop.height() / 2, stop.width(), stop.height());
    ShowPanel2Text();
}

void frmMain::FitSizeColumns() {
    if (!model_ || !program_ || program_->tree.Empty()) return;
    // The root shows the sums: the widest value of each size column. A column
    // the user made wider keeps its width.
    const QModelIndex root = model_->IndexOf(program_->tree.Root());
    QHeaderView* header = TreeView1->header();
    for (const int column : {EntryTreeModel::kSizeColumn, EntryTreeModel::kStoredColumn}) {
        const int needed = TreeView1->sizeHintForIndex(root.siblingAtColumn(column)).width();
        if (header->sectionSize(column) < needed) header->resizeSection(column, needed);
    }
}

}  // namespace tessarin
