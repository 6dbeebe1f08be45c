#pragma once
// Shows the plain-data EntryTree in a Qt view. The node id travels in each
// index's internal id; the tree itself is only read here. Its owner changes the
// nodes between BeginReset and EndReset.
#include <QAbstractItemModel>
#include <QIcon>
#include <unordered_set>
#include <vector>

#include "tree/EntryTree.h"

namespace tessarin {

class EntryTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // images: the tree's image list, 1-based image n at images[n - 1].
    EntryTreeModel(const EntryTree& tree, std::vector<QIcon> images, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QModelIndex IndexOf(NodeId node) const;
    static NodeId NodeOf(const QModelIndex& index);

    void BeginReset();
    void EndReset();
    bool Resetting() const { return resetting_; }

    // The view reports expansion so that folders show their expanded image.
    void SetExpanded(const QModelIndex& index, bool expanded);

private:
    bool Valid(NodeId node) const;

    const EntryTree& tree_;
    std::vector<QIcon> images_;
    std::unordered_set<NodeId> expanded_;
    bool resetting_ = false;
};

}  // namespace tessarin
