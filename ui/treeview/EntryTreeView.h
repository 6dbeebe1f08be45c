#pragma once
// The archive's tree view. It differs from a plain QTreeView in these ways:
// a right click never changes the selection or the current node; the release
// of the right button is reported with the node under the pointer; the
// window's command shortcuts (Ctrl+A among them) are left to the window
// instead of being taken by the view's own key handling; Shift+F10 and the
// Menu key ask for the context menu; an entry dragged out carries the data its
// owner makes for it, and the files dropped from outside are reported; Space and
// typed letters or digits are reported for the preview and the filter; the
// header sorts, and keeps its widths and order when the model is reset.
// Several nodes can be selected (Ctrl and Shift with a click or the arrows);
// the current node stays the one the entry commands act on.
#include <QKeySequence>
#include <QList>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

class QMimeData;

namespace tessarin {

class EntryTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit EntryTreeView(QWidget* parent = nullptr);
    // The width a column starts with; the name column starts wider.
    static constexpr int kColumnWidth = 78;
    static constexpr int kNameColumnWidth = 300;

    void setModel(QAbstractItemModel* model) override;
    using QTreeView::edit;  // the public edit(index) beside the override below

    // Key sequences the view must not consume.
    void SetWindowShortcuts(QList<QKeySequence> shortcuts) { windowShortcuts_ = std::move(shortcuts); }
    // Makes the data of a node dragged out of the view (nullptr: no drag).
    void SetDragData(std::function<QMimeData*(const QModelIndex&)> make) { dragData_ = std::move(make); }
    // A name edited in place is checked before it is committed: check says why
    // it is refused ("" accepts it). A refused name keeps the editor open with
    // the text typed, and nameRefused says what is wrong.
    void SetNameCheck(std::function<QString(const QModelIndex&, const QString&)> check) { nameCheck_ = std::move(check); }

    // The one local file a drag from outside carries, or empty.
    static QString DroppedFile(const QMimeData* data);
    // The local files a drag from outside carries; empty when any is not local.
    static QStringList DroppedFiles(const QMimeData* data);

signals:
    // Mouse-up of the right button: the index under the pointer (invalid over
    // empty space), the classic shift mask (1 Shift, 2 Ctrl, 4 Alt), the position.
    void rightButtonReleased(const QModelIndex& index, int shift, const QPoint& pos);
    // The arrow keys (or Home, End, paging) made another node current.
    void keyboardMovedTo(const QModelIndex& index);
    // Shift+F10 or the Menu key.
    void contextMenuKeyPressed();
    // Space: the preview of the selected entry.
    void previewKeyPressed();
    // A letter or digit typed while the tree has the keys: the start of a filter.
    void filterTyped(const QString& text);
    // Local files dropped from outside: the index under them (invalid over
    // empty space) and their paths.
    void filesDropped(const QModelIndex& index, const QStringList& paths);
    // A name typed in place was refused (the editor stays open): why.
    void nameRefused(const QString& why);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

protected slots:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool IsWindowShortcut(const QKeyEvent* event) const;

    bool AcceptsDrop(QDropEvent* event) const;

    QList<QKeySequence> windowShortcuts_;
    std::function<QMimeData*(const QModelIndex&)> dragData_;
    std::function<QString(const QModelIndex&, const QString&)> nameCheck_;
    QPersistentModelIndex editing_;  // the node whose name is being edited
    bool keepEditor_ = false;        // the commit just refused: the editor stays
    bool refusing_ = false;          // the refusal is being shown
};

}  // namespace tessarin
