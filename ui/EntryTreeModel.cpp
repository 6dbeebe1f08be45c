#include "ui/EntryTreeModel.h"

#include "ui/QtText.h"

namespace tessarin {

EntryTreeModel::EntryTreeModel(const EntryTree& tree, std::vector<QIcon> images, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), images_(std::move(images)) {}

bool EntryTreeModel::Valid(NodeId node) const {
    return node >= 0 && static_cast<std::size_t>(node) < tree_.Size();
}

NodeId EntryTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<NodeId>(index.internalId()) : kNoNode;
}

QModelIndex EntryTreeModel::IndexOf(NodeId node) const {
    if (resetting_ || !Valid(node)) return {};
    return createIndex(tree_.RowOf(node), 0, static_cast<quintptr>(node));
}

QModelIndex EntryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (resetting_ || column != 0 || row < 0) return {};
    if (!parent.isValid()) {
        return row == 0 && !tree_.Empty() ? createIndex(0, 0, static_cast<quintptr>(tree_.Root())) : QModelIndex();
    }
    const NodeId parentNode = NodeOf(parent);
    if (!Valid(parentNode)) return {};
    const auto& children = tree_.Node(parentNode).children;
    if (static_cast<std::size_t>(row) >= children.size()) return {};
    return createIndex(row, 0, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
}

QModelIndex EntryTreeModel::parent(const QModelIndex& child) const {
    const NodeId node = NodeOf(child);
    if (resetting_ || !Valid(node)) return {};
    const NodeId parentNode = tree_.Node(node).parent;
    return parentNode == kNoNode ? QModelIndex() : IndexOf(parentNode);
}

int EntryTreeModel::rowCount(const QModelIndex& parent) const {
    if (resetting_) return 0;
    if (!parent.isValid()) return tree_.Empty() ? 0 : 1;
    if (parent.column() != 0) return 0;
    const NodeId node = NodeOf(parent);
    return Valid(node) ? static_cast<int>(tree_.Node(node).children.size()) : 0;
}

int EntryTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool EntryTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant EntryTreeModel::data(const QModelIndex& index, int role) const {
    const NodeId node = NodeOf(index);
    if (resetting_ || !Valid(node)) return {};
    const TreeNode& n = tree_.Node(node);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return ToQString(n.text);
    case Qt::DecorationRole: {
        const int image = n.expandedImage != 0 && expanded_.contains(node) ? n.expandedImage : n.image;
        if (image >= 1 && static_cast<std::size_t>(image) <= images_.size()) return images_[image - 1];
        return {};
    }
    default:
        return {};
    }
}

Qt::ItemFlags EntryTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!hasChildren(index)) result |= Qt::ItemNeverHasChildren;
    // Entries can be dragged out to the file manager; the root and folders cannot.
    const NodeId node = NodeOf(index);
    if (!resetting_ && Valid(node) && IsEntryKey(tree_.Node(node).key)) result |= Qt::ItemIsDragEnabled;
    return result;
}

void EntryTreeModel::BeginReset() {
    if (resetting_) return;
    beginResetModel();
    resetting_ = true;
}

void EntryTreeModel::EndReset() {
    if (!resetting_) return;
    resetting_ = false;
    expanded_.clear();
    endResetModel();
}

void EntryTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
    const NodeId node = NodeOf(index);
    if (!Valid(node)) return;
    const bool changed = expanded ? expanded_.insert(node).second : expanded_.erase(node) > 0;
    if (changed && tree_.Node(node).expandedImage != 0) emit dataChanged(index, index, {Qt::DecorationRole});
}

}  // namespace tessarin
