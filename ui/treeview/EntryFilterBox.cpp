#include "ui/treeview/EntryFilterBox.h"

#include <QKeyEvent>

#include "ui/treeview/EntryTreeModel.h"
#include "ui/treeview/EntryTreeView.h"
#include "ui/QtText.h"

namespace tessarin {

EntryFilterBox::EntryFilterBox(EntryTreeView* view, QWidget* parent) : QLineEdit(parent), view_(view) {
    setObjectName("FilterBox");
    setPlaceholderText(QStringLiteral("筛选 (Ctrl+L)"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this, &EntryFilterBox::Apply);
}

void EntryFilterBox::Activate() {
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void EntryFilterBox::TypeFromTree(const QString& typed) {
    setFocus(Qt::OtherFocusReason);
    deselect();
    end(false);
    insert(typed);
}

EntryFilterBox::Selection EntryFilterBox::SelectionNow() const {
    Selection now;
    if (const QItemSelectionModel* selection = view_->selectionModel()) {
        for (const QModelIndex& row : selection->selectedRows()) now.nodes.push_back(EntryTreeModel::NodeOf(row));
    }
    now.current = EntryTreeModel::NodeOf(view_->currentIndex());
    return now;
}

void EntryFilterBox::ClearKeepingSelection() {
    // What is selected stays selected; when the filter hid everything that
    // was, the selection from before the filter comes back.
    Selection kept = SelectionNow();
    if (kept.nodes.empty()) kept = selectedBefore_;
    clear();
    QItemSelectionModel* selection = view_->selectionModel();
    if (selection && model_ && !kept.nodes.empty()) {
        QItemSelection restored;
        for (const NodeId node : kept.nodes) {
            const QModelIndex index = model_->IndexOf(node);
            if (index.isValid()) restored.select(index, index);
        }
        selection->setCurrentIndex(model_->IndexOf(kept.current), QItemSelectionModel::NoUpdate);
        selection->select(restored, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        if (view_->currentIndex().isValid()) view_->scrollTo(view_->currentIndex());
    }
    view_->setFocus();
}

void EntryFilterBox::Forget() {
    openBefore_.clear();
    selectedBefore_ = {};
    allOpen_ = false;
    clear();
}

void EntryFilterBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        ClearKeepingSelection();
        return;
    }
    // Down, Enter: back to the tree with the filter kept.
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        view_->setFocus();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void EntryFilterBox::Apply(const QString& text) {
    if (!model_ || model_->Resetting()) return;
    const std::string before = model_->Filter();
    const bool wasFiltered = !before.empty();
    if (!wasFiltered) {
        openBefore_ = model_->ExpandedNodes();
        selectedBefore_ = SelectionNow();
    }
    model_->SetFilter(FromQString(text));
    const bool filtered = !model_->Filter().empty();
    // A longer text shows a part of what was shown: what stood open still does.
    const bool narrowed = wasFiltered && model_->Filter().find(before) != std::string::npos;
    if (filtered) {
        if (model_->Matches() <= kUnfoldLimit && !(allOpen_ && narrowed)) {
            view_->expandAll();
            model_->MarkAllExpanded();
            allOpen_ = true;
        } else if (model_->Matches() > kUnfoldLimit) {
            allOpen_ = false;
        }
    } else if (wasFiltered) {
        allOpen_ = false;
        view_->collapseAll();
        model_->MarkAllCollapsed();
        for (NodeId node : openBefore_) view_->expand(model_->IndexOf(node));
        openBefore_.clear();
    }
    const QModelIndex current = view_->currentIndex();
    if (current.isValid()) view_->scrollTo(current);
}

}  // namespace tessarin
