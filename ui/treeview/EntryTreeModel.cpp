#include "ui/treeview/EntryTreeModel.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "core/AsciiCase.h"
#include "core/GroupedNumber.h"
#include "ui/QtText.h"

namespace tessarin {

namespace {

const char* const kHeaders[EntryTreeModel::kColumnCount] = {"名称", "大小", "压缩后", "比率", "类型", "类型代码", "偏移"};

QString Grouped(std::int64_t value) { return QString::fromStdString(GroupedThousands(value)); }

// Stored size per hundred of the original, or -1 when there is no original size.
double Ratio(std::int64_t stored, std::int64_t size) {
    return size > 0 ? 100.0 * static_cast<double>(stored) / static_cast<double>(size) : -1.0;
}

// An entry key without its "." and type code: the full name.
std::string_view FullNamePart(std::string_view key) {
    const std::size_t dot = key.rfind('.');
    return dot == std::string_view::npos ? key : key.substr(0, dot);
}

}  // namespace

EntryTreeModel::EntryTreeModel(const EntryTree& tree, std::vector<QIcon> images, QObject* parent,
                               const ArcEntryList* entries)
    : QAbstractItemModel(parent), tree_(tree), entries_(entries), images_(std::move(images)) {}

bool EntryTreeModel::Valid(NodeId node) const { return tree_.Alive(node); }

bool EntryTreeModel::Shown(NodeId node) const {
    if (resetting_ || !Valid(node)) return false;
    return !ordered_ || (static_cast<std::size_t>(node) < shown_.size() && shown_[node]);
}

NodeId EntryTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<NodeId>(index.internalId()) : kNoNode;
}

const std::vector<NodeId>& EntryTreeModel::ChildrenOf(NodeId node) const {
    if (ordered_ && static_cast<std::size_t>(node) < rows_.size()) return rows_[static_cast<std::size_t>(node)];
    return tree_.Node(node).children;
}

int EntryTreeModel::RowOf(NodeId node) const {
    if (ordered_ && static_cast<std::size_t>(node) < rowOf_.size()) return rowOf_[static_cast<std::size_t>(node)];
    return tree_.RowOf(node);
}

QModelIndex EntryTreeModel::IndexOf(NodeId node) const {
    if (!Shown(node)) return {};
    return createIndex(RowOf(node), 0, static_cast<quintptr>(node));
}

QModelIndex EntryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (resetting_ || column < 0 || column >= kColumnCount || row < 0) return {};
    if (!parent.isValid()) {
        return row == 0 && !tree_.Empty() ? createIndex(0, column, static_cast<quintptr>(tree_.Root()))
                                          : QModelIndex();
    }
    const NodeId parentNode = NodeOf(parent);
    if (!Valid(parentNode) || parent.column() != 0) return {};
    const auto& children = ChildrenOf(parentNode);
    if (static_cast<std::size_t>(row) >= children.size()) return {};
    return createIndex(row, column, static_cast<quintptr>(children[static_cast<std::size_t>(row)]));
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
    return Valid(node) ? static_cast<int>(ChildrenOf(node).size()) : 0;
}

int EntryTreeModel::columnCount(const QModelIndex&) const { return entries_ ? kColumnCount : 1; }

bool EntryTreeModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

const ARCFileCls* EntryTreeModel::RecordOf(NodeId node) const {
    if (!entries_ || static_cast<std::size_t>(node) >= recordOf_.size()) return nullptr;
    const std::int32_t record = recordOf_[static_cast<std::size_t>(node)];
    if (record < 0 || static_cast<std::size_t>(record) >= entries_->size()) return nullptr;
    return &(*entries_)[static_cast<std::size_t>(record)];
}

EntryTreeModel::Totals EntryTreeModel::TotalsOf(NodeId node) const {
    if (resetting_ || !Valid(node) || static_cast<std::size_t>(node) >= totals_.size()) return {};
    return totals_[static_cast<std::size_t>(node)];
}

QVariant EntryTreeModel::CellText(NodeId node, int column) const {
    const ARCFileCls* record = RecordOf(node);
    if (record) {
        switch (column) {
        case kSizeColumn: return Grouped(record->ArcFileOrgSize);
        case kStoredColumn: return Grouped(record->ArcFileZipSize);
        case kRatioColumn: {
            const double ratio = Ratio(record->ArcFileZipSize, record->ArcFileOrgSize);
            return ratio < 0 ? QString() : QString::number(ratio, 'f', 1) + QLatin1Char('%');
        }
        case kTypeColumn: return ToQString(record->ArcFileType);
        case kTypeCodeColumn: return ToQString(record->ArcFileTypeHex);
        case kOffsetColumn: return QString::number(record->ArcFileOFSET);
        default: return {};
        }
    }
    // A folder or the root: the sums of the entries below it.
    if (IsEntryKey(tree_.Node(node).key) || static_cast<std::size_t>(node) >= totals_.size()) return {};
    const Totals& sums = totals_[static_cast<std::size_t>(node)];
    switch (column) {
    case kSizeColumn: return Grouped(sums.size);
    case kStoredColumn: return Grouped(sums.stored);
    case kRatioColumn: {
        const double ratio = Ratio(sums.stored, sums.size);
        return ratio < 0 ? QString() : QString::number(ratio, 'f', 1) + QLatin1Char('%');
    }
    default: return {};
    }
}

QVariant EntryTreeModel::data(const QModelIndex& index, int role) const {
    const NodeId node = NodeOf(index);
    if (resetting_ || !Valid(node)) return {};
    const TreeNode& n = tree_.Node(node);
    const int column = index.column();
    if (column != kNameColumn) {
        if (role == Qt::DisplayRole) return CellText(node, column);
        if (role == Qt::TextAlignmentRole && column != kTypeColumn && column != kTypeCodeColumn) {
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        }
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::EditRole:
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

QVariant EntryTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kHeaders[section]);
    if (role == Qt::TextAlignmentRole && section != kNameColumn && section != kTypeColumn &&
        section != kTypeCodeColumn) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    }
    return {};
}

Qt::ItemFlags EntryTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Entries can be dragged out to the file manager; the root and folders cannot.
    const NodeId node = NodeOf(index);
    if (!resetting_ && Valid(node) && IsEntryKey(tree_.Node(node).key)) {
        result |= Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    }
    // Names of entries and folders can be edited in place (the view starts it).
    if (!resetting_ && Valid(node) && node != tree_.Root() && index.column() == kNameColumn) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

bool EntryTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const NodeId node = NodeOf(index);
    if (role != Qt::EditRole || resetting_ || editing_ || !Valid(node) || node == tree_.Root()) return false;
    const QString text = value.toString();
    if (text != ToQString(tree_.Node(node).text)) emit renameRequested(node, text);
    return false;
}

void EntryTreeModel::BeginReset() {
    if (resetting_) return;
    beginResetModel();
    resetting_ = true;
}

void EntryTreeModel::EndReset() {
    if (!resetting_) return;
    expanded_.clear();
    MapRecords();
    RecountSums();
    BuildOrder();
    resetting_ = false;
    endResetModel();
}

void EntryTreeModel::MapRecords() {
    // Each entry node finds its record once.
    recordOf_.assign(tree_.Size(), -1);
    if (!entries_) return;
    // Entry nodes are mostly in directory order: the next entry node is
    // normally the next record's; a key lookup settles any other case.
    std::size_t next = 0;
    for (std::size_t i = 0; i < entries_->size(); ++i) {
        const std::string& key = (*entries_)[i].ArcFileKey;
        while (next < tree_.Size() && (!tree_.Alive(static_cast<NodeId>(next)) ||
                                       !IsEntryKey(tree_.Node(static_cast<NodeId>(next)).key)))
            ++next;
        NodeId node = kNoNode;
        if (next < tree_.Size() && tree_.Node(static_cast<NodeId>(next)).key == key) {
            node = static_cast<NodeId>(next++);
        } else {
            node = tree_.Find(key);
        }
        if (node != kNoNode && IsEntryKey(tree_.Node(node).key)) recordOf_[static_cast<std::size_t>(node)] =
            static_cast<std::int32_t>(i);
    }
}

void EntryTreeModel::SumUp() {
    totals_.assign(tree_.Size(), Totals{});
    // A parent is always added before its children: one pass from the last
    // node back carries every sum up to the root (removed nodes have no parent).
    for (std::size_t i = tree_.Size(); i-- > 0;) {
        const NodeId node = static_cast<NodeId>(i);
        if (const ARCFileCls* record = RecordOf(node)) {
            totals_[i].entries += 1;
            totals_[i].size += record->ArcFileOrgSize;
            totals_[i].stored += record->ArcFileZipSize;
        }
        const NodeId parent = tree_.Node(node).parent;
        if (parent != kNoNode) {
            Totals& up = totals_[static_cast<std::size_t>(parent)];
            up.entries += totals_[i].entries;
            up.size += totals_[i].size;
            up.stored += totals_[i].stored;
        }
    }
}

void EntryTreeModel::RecountSums() {
    SumUp();
    if (resetting_ || editing_ || tree_.Empty()) return;
    // Sorted by a figure, the rows may move; otherwise only the texts change.
    if (sortColumn_ > kNameColumn) {
        Reorder();
    } else {
        emit dataChanged(index(0, kSizeColumn), index(0, kColumnCount - 1));
    }
}

void EntryTreeModel::BeginEdit() {
    if (resetting_ || editing_) return;
    editing_ = true;
    editTouched_.clear();
    // Sorted or filtered rows are worked out again at the end: one layout change.
    if (ordered_) {
        emit layoutAboutToBeChanged();
        editBefore_ = persistentIndexList();
    }
}

void EntryTreeModel::BeginRemove(NodeId node) {
    if (!editing_ || !Valid(node) || node == tree_.Root()) return;
    const NodeId parent = tree_.Node(node).parent;
    editTouched_.push_back(parent);
    if (!ordered_) beginRemoveRows(IndexOf(parent), RowOf(node), RowOf(node));
}

void EntryTreeModel::EndRemove() {
    if (editing_ && !ordered_) endRemoveRows();
}

void EntryTreeModel::BeginInsert(NodeId parent) {
    if (!editing_ || !Valid(parent)) return;
    editTouched_.push_back(parent);
    const int row = static_cast<int>(tree_.Node(parent).children.size());
    if (!ordered_) beginInsertRows(IndexOf(parent), row, row);
}

void EntryTreeModel::EndInsert() {
    if (editing_ && !ordered_) endInsertRows();
}

void EntryTreeModel::NodeChanged(NodeId node) {
    if (editing_) editTouched_.push_back(node);
}

void EntryTreeModel::EndEdit() {
    if (!editing_) return;
    editing_ = false;
    std::erase_if(expanded_, [this](NodeId node) { return !tree_.Alive(node); });
    MapRecords();
    SumUp();
    if (ordered_) {
        FinishReorder(std::exchange(editBefore_, {}));
        return;
    }
    // The touched rows and, for their sums, every folder above them.
    std::unordered_set<NodeId> told;
    for (NodeId node : editTouched_) {
        for (; Valid(node) && told.insert(node).second; node = tree_.Node(node).parent) {
            const QModelIndex first = IndexOf(node);
            emit dataChanged(first, first.siblingAtColumn(columnCount() - 1));
        }
    }
    editTouched_.clear();
}

void EntryTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
    const NodeId node = NodeOf(index);
    if (!Valid(node)) return;
    const bool changed = expanded ? expanded_.insert(node).second : expanded_.erase(node) > 0;
    if (changed && tree_.Node(node).expandedImage != 0) emit dataChanged(index, index, {Qt::DecorationRole});
}

void EntryTreeModel::MarkAllExpanded() {
    for (std::size_t i = 0; i < tree_.Size(); ++i) {
        const NodeId node = static_cast<NodeId>(i);
        if (Shown(node) && !tree_.Node(node).children.empty()) expanded_.insert(node);
    }
}

void EntryTreeModel::MarkAllCollapsed() { expanded_.clear(); }

bool EntryTreeModel::Before(NodeId a, NodeId b) const {
    const bool folderA = !IsEntryKey(tree_.Node(a).key);
    const bool folderB = !IsEntryKey(tree_.Node(b).key);
    if (folderA != folderB) return folderA;  // folders first, whatever the order
    const ARCFileCls* ra = RecordOf(a);
    const ARCFileCls* rb = RecordOf(b);
    const Totals& ta = totals_[static_cast<std::size_t>(a)];
    const Totals& tb = totals_[static_cast<std::size_t>(b)];
    auto cmp = [](const auto& x, const auto& y) { return x < y ? -1 : y < x ? 1 : 0; };
    int order = 0;
    switch (sortColumn_) {
    case kNameColumn:  // bytes compare as unsigned
        order = nameBytes_[static_cast<std::size_t>(a)].compare(nameBytes_[static_cast<std::size_t>(b)]);
        break;
    case kSizeColumn: order = cmp(ta.size, tb.size); break;
    case kStoredColumn: order = cmp(ta.stored, tb.stored); break;
    case kRatioColumn: order = cmp(Ratio(ta.stored, ta.size), Ratio(tb.stored, tb.size)); break;
    case kTypeColumn: order = ra && rb ? cmp(ra->ArcFileType, rb->ArcFileType) : 0; break;
    case kTypeCodeColumn:
        // Codes compare as numbers: shorter hexadecimal text is the smaller code.
        order = ra && rb ? cmp(std::pair(ra->ArcFileTypeHex.size(), std::string_view(ra->ArcFileTypeHex)),
                               std::pair(rb->ArcFileTypeHex.size(), std::string_view(rb->ArcFileTypeHex)))
                         : 0;
        break;
    case kOffsetColumn: order = ra && rb ? cmp(ra->ArcFileOFSET, rb->ArcFileOFSET) : 0; break;
    default: break;
    }
    if (sortOrder_ == Qt::DescendingOrder) order = -order;
    return order != 0 ? order < 0 : a < b;  // equal rows keep the archive's order
}

void EntryTreeModel::BuildOrder() {
    ordered_ = sortColumn_ >= 0 || !filter_.empty();
    matches_ = entries_ ? entries_->size() : 0;
    rows_.clear();
    rowOf_.clear();
    shown_.clear();
    if (!ordered_ || tree_.Empty()) return;
    const std::size_t n = tree_.Size();
    shown_.assign(n, filter_.empty() ? 1 : 0);
    if (!filter_.empty()) {
        // A matching entry shows itself and every folder above it.
        matches_ = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const TreeNode& node = tree_.Node(static_cast<NodeId>(i));
            if (node.removed || !IsEntryKey(node.key) || !ContainsIgnoringAsciiCase(FullNamePart(node.key), filter_)) continue;
            ++matches_;
            for (NodeId up = static_cast<NodeId>(i); up != kNoNode && !shown_[up]; up = tree_.Node(up).parent) {
                shown_[static_cast<std::size_t>(up)] = 1;
            }
        }
        shown_[static_cast<std::size_t>(tree_.Root())] = 1;
    }
    nameBytes_.clear();
    if (sortColumn_ == kNameColumn) {
        nameBytes_.reserve(n);
        for (std::size_t i = 0; i < n; ++i) nameBytes_.push_back(TextToCp936(tree_.Node(static_cast<NodeId>(i)).text));
    }
    rows_.resize(n);
    rowOf_.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const TreeNode& node = tree_.Node(static_cast<NodeId>(i));
        if (!shown_[i] || node.children.empty()) continue;
        std::vector<NodeId>& rows = rows_[i];
        for (NodeId child : node.children) {
            if (shown_[static_cast<std::size_t>(child)]) rows.push_back(child);
        }
        if (sortColumn_ >= 0) std::sort(rows.begin(), rows.end(), [this](NodeId a, NodeId b) { return Before(a, b); });
        for (std::size_t row = 0; row < rows.size(); ++row) rowOf_[static_cast<std::size_t>(rows[row])] =
            static_cast<int>(row);
    }
}

void EntryTreeModel::Reorder() {
    if (resetting_ || editing_) return;
    emit layoutAboutToBeChanged();
    FinishReorder(persistentIndexList());
}

void EntryTreeModel::FinishReorder(const QModelIndexList& before) {
    BuildOrder();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const NodeId node = NodeOf(index);
        after << (Shown(node) ? createIndex(RowOf(node), index.column(), static_cast<quintptr>(node)) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void EntryTreeModel::sort(int column, Qt::SortOrder order) {
    const int wanted = column >= 0 && column < kColumnCount ? column : -1;
    if (wanted == sortColumn_ && order == sortOrder_) return;
    sortColumn_ = wanted;
    sortOrder_ = order;
    Reorder();
}

void EntryTreeModel::SetFilter(const std::string& text) {
    std::string lowered;
    lowered.reserve(text.size());
    for (char c : text) lowered.push_back(AsciiLower(c));
    if (lowered == filter_) return;
    filter_ = std::move(lowered);
    Reorder();
}

}  // namespace tessarin
