#include "ui/treeview/EntryTreeView.h"

#include <QDrag>
#include <QHeaderView>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <utility>

namespace tessarin {

namespace {

int ShiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= 1;
    if (modifiers & Qt::ControlModifier) mask |= 2;
    if (modifiers & Qt::AltModifier) mask |= 4;
    return mask;
}

}  // namespace

EntryTreeView::EntryTreeView(QWidget* parent) : QTreeView(parent) {
    // The header sorts: a click sorts by its column, a third click goes back
    // to the archive's order (no column).
    setHeaderHidden(false);
    header()->setSortIndicatorClearable(true);
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    header()->setStretchLastSection(false);
    header()->setDefaultSectionSize(kColumnWidth);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Every row has the same height: lets the view lay out tens of thousands
    // of children without measuring each one.
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setIconSize(QSize(16, 16));
    // Entries are dragged out to the file manager; files are dropped in from it.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

void EntryTreeView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    header()->resizeSection(0, kNameColumnWidth);
}

QString EntryTreeView::DroppedFile(const QMimeData* data) {
    const QStringList files = DroppedFiles(data);
    return files.size() == 1 ? files.first() : QString();
}

QStringList EntryTreeView::DroppedFiles(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) return {};
        files << url.toLocalFile();
    }
    return files;
}

bool EntryTreeView::IsWindowShortcut(const QKeyEvent* event) const {
    const QKeySequence pressed(event->keyCombination());
    for (const QKeySequence& shortcut : windowShortcuts_) {
        if (shortcut.matches(pressed) == QKeySequence::ExactMatch) return true;
    }
    return false;
}

bool EntryTreeView::event(QEvent* event) {
    // An accepted ShortcutOverride would let the view keep the key for itself;
    // for the window's shortcuts it is left unaccepted so the window's action fires.
    if (event->type() == QEvent::ShortcutOverride && IsWindowShortcut(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QTreeView::event(event);
}

void EntryTreeView::keyPressEvent(QKeyEvent* event) {
    // A disabled command's shortcut reaches here as a plain key press; it must
    // do nothing at all (Ctrl+A would otherwise select, Ctrl+letter search).
    if (IsWindowShortcut(event) || event->matches(QKeySequence::SelectAll)) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        event->accept();
        emit contextMenuKeyPressed();
        return;
    }
    // Space previews; a letter or digit typed with no command key goes to the filter.
    const Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (event->key() == Qt::Key_Space && !(event->modifiers() & commandKeys)) {
        event->accept();
        emit previewKeyPressed();
        return;
    }
    if (!(event->modifiers() & commandKeys) && event->text().size() == 1 && event->text().at(0).isLetterOrNumber() &&
        event->text().at(0).unicode() < 0x80) {
        event->accept();
        emit filterTyped(event->text());
        return;
    }
    const QModelIndex before = currentIndex();
    QTreeView::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid()) emit keyboardMovedTo(currentIndex());
}

void EntryTreeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();  // no selection, no current node change
        return;
    }
    QTreeView::mousePressEvent(event);
}

void EntryTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        const QPoint pos = event->position().toPoint();
        emit rightButtonReleased(indexAt(pos), ShiftMask(event->modifiers()), pos);
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void EntryTreeView::mouseMoveEvent(QMouseEvent* event) {
    // Dragging with only the right button held must not drag-select either.
    if ((event->buttons() & Qt::RightButton) && !(event->buttons() & Qt::LeftButton)) {
        event->accept();
        return;
    }
    QTreeView::mouseMoveEvent(event);
}

void EntryTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void EntryTreeView::startDrag(Qt::DropActions) {
    const QModelIndex index = currentIndex();
    QMimeData* data = dragData_ && index.isValid() ? dragData_(index) : nullptr;
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16));
    // Copy only: the entry stays in the archive whatever the target does.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
}

bool EntryTreeView::AcceptsDrop(QDropEvent* event) const {
    // The view's own drags (an entry dragged back in) are never dropped here.
    return event->source() == nullptr && !DroppedFiles(event->mimeData()).isEmpty();
}

void EntryTreeView::dragEnterEvent(QDragEnterEvent* event) {
    if (!AcceptsDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void EntryTreeView::dragMoveEvent(QDragMoveEvent* event) {
    if (!AcceptsDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void EntryTreeView::dropEvent(QDropEvent* event) {
    if (!AcceptsDrop(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(indexAt(event->position().toPoint()), DroppedFiles(event->mimeData()));
}

bool EntryTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool editing = QTreeView::edit(index, trigger, event);
    if (editing) editing_ = index;
    return editing;
}

void EntryTreeView::commitData(QWidget* editor) {
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line || !nameCheck_) {
        QTreeView::commitData(editor);
        return;
    }
    // The editor loses the keys to the refusal's message: nothing is committed then.
    if (refusing_) {
        keepEditor_ = true;
        return;
    }
    const QString why = nameCheck_(editing_, line->text());
    if (why.isEmpty()) {
        QTreeView::commitData(editor);
        return;
    }
    keepEditor_ = refusing_ = true;
    // Said once the key that committed has been handled; then the keys go back to the text.
    QTimer::singleShot(0, this, [this, why, editor = QPointer<QWidget>(editor)] {
        emit nameRefused(why);
        refusing_ = false;
        if (editor) {
            editor->activateWindow();
            editor->setFocus();
        }
    });
}

void EntryTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Esc (revert) always closes; a commit that was refused does not.
    if (std::exchange(keepEditor_, false) && hint != QAbstractItemDelegate::RevertModelCache) return;
    QTreeView::closeEditor(editor, hint);
}

}  // namespace tessarin
