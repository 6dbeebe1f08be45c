#pragma once
// The archive's tree view. It differs from a plain QTreeView in three ways:
// a right click never changes the selection or the current node; the release
// of the right button is reported with the node under the pointer; and the
// window's command shortcuts (Ctrl+A among them) are left to the window
// instead of being taken by the view's own key handling.
#include <QKeySequence>
#include <QList>
#include <QTreeView>

namespace tessarin {

class EntryTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit EntryTreeView(QWidget* parent = nullptr);

    // Key sequences the view must not consume.
    void SetWindowShortcuts(QList<QKeySequence> shortcuts) { windowShortcuts_ = std::move(shortcuts); }

signals:
    // Mouse-up of the right button: the index under the pointer (invalid over
    // empty space), the classic shift mask (1 Shift, 2 Ctrl, 4 Alt), the position.
    void rightButtonReleased(const QModelIndex& index, int shift, const QPoint& pos);
    // The arrow keys (or Home, End, paging) made another node current.
    void keyboardMovedTo(const QModelIndex& index);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool IsWindowShortcut(const QKeyEvent* event) const;

    QList<QKeySequence> windowShortcuts_;
};

}  // namespace tessarin
