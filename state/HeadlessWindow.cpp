#include "state/HeadlessWindow.h"

namespace tessarin {

namespace {
// The bar long work drives; bar 1 follows the reading of a directory, which
// is over before anyone could watch it.
constexpr int kLongWorkBar = 2;
}  // namespace

void HeadlessWindow::SetProgressVisible(int bar, bool visible) {
    if (bar == kLongWorkBar && !visible) events_.ProgressEnded();
}

void HeadlessWindow::SetProgressMax(int bar, int value) {
    if (bar == kLongWorkBar) events_.ProgressBegun(value);
}

void HeadlessWindow::SetProgressValue(int bar, int value) {
    if (bar == kLongWorkBar) events_.ProgressMoved(value);
}

}  // namespace tessarin
