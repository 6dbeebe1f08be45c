#include "extract/ExportSelection.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "core/ArcState.h"

namespace tessarin {

namespace {

// The folder that holds a node: "" for the root and what hangs on it.
std::string ParentFolderOf(const std::string& key) {
    if (key == kRootKey) return {};
    if (IsEntryKey(key)) return FolderPathOf(FullNameOfKey(key));
    return FolderPathOf(std::string_view(key).substr(0, key.size() - 1));
}

// The longest folder key both a and b begin with.
std::string CommonFolder(const std::string& a, const std::string& b) {
    const std::size_t shorter = std::min(a.size(), b.size());
    const std::size_t same = std::mismatch(a.begin(), a.begin() + shorter, b.begin()).first - a.begin();
    const std::size_t slash = a.rfind('\\', same == 0 ? 0 : same - 1);
    return slash == std::string::npos || same == 0 ? std::string() : a.substr(0, slash + 1);
}

}  // namespace

EntrySubset SubsetOfNodes(const Program& program, const std::vector<NodeId>& nodes) {
    std::unordered_set<std::string> entries, folders;
    bool everything = false;
    std::string base;
    bool first = true;
    for (const NodeId node : nodes) {
        if (node < 0 || static_cast<std::size_t>(node) >= program.tree.Size()) continue;
        const std::string& key = program.tree.Node(node).key;
        if (key == kRootKey) everything = true;
        else if (IsEntryKey(key)) entries.insert(key);
        else folders.insert(key);
        const std::string parent = ParentFolderOf(key);
        base = first ? parent : CommonFolder(base, parent);
        first = false;
    }
    // One folder alone: its entries land below the folder itself.
    if (entries.empty() && folders.size() == 1 && !everything) base = *folders.begin();
    if (everything) base.clear();

    EntrySubset subset;
    subset.skippedFolderChars = base.size();
    const ArcEntryList& all = program.arc.ArcEntries;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& key = all[i].ArcFileKey;
        bool wanted = everything || entries.count(key) != 0;
        // Any folder on the entry's path.
        for (std::size_t at = key.find('\\'); !wanted && !folders.empty() && at != std::string::npos;
             at = key.find('\\', at + 1))
            wanted = folders.count(key.substr(0, at + 1)) != 0;
        if (wanted) subset.indices.push_back(i);
    }
    return subset;
}

}  // namespace tessarin
