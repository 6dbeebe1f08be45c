#pragma once
// Shows the plain-data EntryTree in a Qt view. The node id travels in each
// index's internal id; the tree itself is only read here. Its owner changes the
// nodes between BeginReset and EndReset.
//
// Beside the name the rows show the entry's record (sizes, ratio, type, code,
// offset; a folder shows the sums of the entries below it). The children of a
// node can be shown sorted by a column (folders first) and narrowed to the
// entries whose full name contains a text; both are orders over the same
// nodes, so an index still names its node.
#include <QAbstractItemModel>
#include <QIcon>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/ARCFileCls.h"
#include "tree/EntryTree.h"

namespace tessarin {

class EntryTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { kNameColumn, kSizeColumn, kStoredColumn, kRatioColumn, kTypeColumn, kTypeCodeColumn,
                  kOffsetColumn, kColumnCount };

    // images: the tree's image list, 1-based image n at images[n - 1].
    // entries: the records the columns show (nullptr: the name column only).
    EntryTreeModel(const EntryTree& tree, std::vector<QIcon> images, QObject* parent = nullptr,
                   const ArcEntryList* entries = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // column -1: the archive's directory order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The index of a node in column 0; invalid while it is filtered out.
    QModelIndex IndexOf(NodeId node) const;
    static NodeId NodeOf(const QModelIndex& index);

    void BeginReset();
    void EndReset();
    bool Resetting() const { return resetting_; }

    // A local change of the tree: between BeginEdit and EndEdit the owner
    // removes a node with everything below it (between BeginRemove and
    // EndRemove), appends one node to parent's children (between BeginInsert
    // and EndInsert), or changes keys and texts (NodeChanged afterwards). The
    // view keeps its expanded nodes and selection; records and sums are read
    // again at EndEdit. While sorted or filtered the edit is one layout change.
    void BeginEdit();
    void EndEdit();
    bool Editing() const { return editing_; }
    void BeginRemove(NodeId node);
    void EndRemove();
    void BeginInsert(NodeId parent);
    void EndInsert();
    void NodeChanged(NodeId node);

    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The view reports expansion so that folders show their expanded image.
    void SetExpanded(const QModelIndex& index, bool expanded);
    // After the view unfolded or folded everything at once (it says nothing then).
    void MarkAllExpanded();
    void MarkAllCollapsed();
    std::vector<NodeId> ExpandedNodes() const { return {expanded_.begin(), expanded_.end()}; }

    // Shows only the entries whose full name contains text (ASCII letters in
    // any case) and the folders that lead to them; "" shows every node.
    void SetFilter(const std::string& text);
    const std::string& Filter() const { return filter_; }
    // The entries the filter shows (every entry without one).
    std::size_t Matches() const { return matches_; }
    bool Shown(NodeId node) const;

    // The entries at or below node and their original size.
    struct Totals {
        std::int64_t entries = 0;
        std::int64_t size = 0;
        std::int64_t stored = 0;
    };
    Totals TotalsOf(NodeId node) const;
    // The record an entry node shows, or nullptr.
    const ARCFileCls* Record(NodeId node) const { return Valid(node) ? RecordOf(node) : nullptr; }
    // Reads the folder sums from the records again (after a replacement).
    void RecountSums();

signals:
    // The name of node edited in place to text (a different text): the
    // tree itself changes only once the rename has been done.
    void renameRequested(NodeId node, const QString& text);

private:
    bool Valid(NodeId node) const;
    const ARCFileCls* RecordOf(NodeId node) const;
    const std::vector<NodeId>& ChildrenOf(NodeId node) const;
    int RowOf(NodeId node) const;
    QVariant CellText(NodeId node, int column) const;
    // Recomputes the shown children of every node and moves the view's
    // persistent indexes along.
    void Reorder();
    // The second half of a layout change begun with the persistent indexes before.
    void FinishReorder(const QModelIndexList& before);
    // Each entry node's record, looked up again.
    void MapRecords();
    // The folder sums added up again, nothing told to the view.
    void SumUp();
    void BuildOrder();
    bool Before(NodeId a, NodeId b) const;

    const EntryTree& tree_;
    const ArcEntryList* entries_;
    std::vector<QIcon> images_;
    std::unordered_set<NodeId> expanded_;
    bool resetting_ = false;
    bool editing_ = false;
    QModelIndexList editBefore_;         // persistent indexes when an ordered edit began
    std::vector<NodeId> editTouched_;    // nodes whose row or sums an edit changed

    // Per node, filled once per open: its record (-1 for a folder) and sums.
    std::vector<std::int32_t> recordOf_;
    std::vector<Totals> totals_;

    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    std::string filter_;
    std::size_t matches_ = 0;
    // While sorted or filtered: each node's shown children and its row among
    // its parent's; shown_[node] false for a node filtered out.
    bool ordered_ = false;
    std::vector<std::vector<NodeId>> rows_;
    std::vector<int> rowOf_;
    std::vector<char> shown_;
    // While sorted by name: each node's name as code page 936 bytes, the
    // order a new archive's entries take (pinyin order for simplified Chinese).
    std::vector<std::string> nameBytes_;
};

}  // namespace tessarin
