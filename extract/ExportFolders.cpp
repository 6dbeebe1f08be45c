#include "extract/ExportFolders.h"

#include <vector>

#include "core/platform/FileSystem.h"
#include "core/platform/Temporaries.h"

namespace tessarin {

FolderCache::FolderCache(SafeFolder root, std::string rootText, bool owned)
    : rootText_(std::move(rootText)), owned_(owned), root_(std::make_shared<SafeFolder>(std::move(root))) {
    if (!owned_) RemoveStaleTemporariesIn(*root_);
}

void FolderCache::Close() {
    open_.clear();
    root_ = std::make_shared<SafeFolder>();
}

const SafeFolder& FolderCache::Get(const EntryPlace& place) {
    if (place.folders.empty()) return *root_;
    if (auto it = open_.find(place.folderKey); it != open_.end()) return *it->second;
    if (open_.size() >= kMaxOpen) open_.clear();
    // Each folder's key is a prefix of folderKey: the folders up to its separator.
    std::vector<std::size_t> ends;
    ends.reserve(place.folders.size());
    for (std::size_t at = 0; (at = place.folderKey.find(kNativeSeparator, at)) != std::string::npos; ++at)
        ends.push_back(at + 1);
    // Start from the deepest folder on the way that is open already.
    std::shared_ptr<SafeFolder> folder = root_;
    std::size_t i = 0;
    for (std::size_t n = ends.size(); n > 0; --n) {
        if (auto it = open_.find(place.folderKey.substr(0, ends[n - 1])); it != open_.end()) {
            folder = it->second;
            i = n;
            break;
        }
    }
    for (; i < place.folders.size(); ++i) {
        const std::string key = place.folderKey.substr(0, ends[i]);
        bool isLink = false;
        try {
            folder = std::make_shared<SafeFolder>(folder->OpenOrCreateChild(place.folders[i], &isLink));
        } catch (const VbError& error) {
            throw FolderFailure{error, isLink ? rootText_ + key.substr(0, key.size() - 1) : std::string()};
        }
        // Temporaries a killed run left here go before this run writes any.
        // A folder opened again after it left the cache is looked at again,
        // rather than remembering every folder of the run. Below a folder the
        // export made itself there is nothing to look for.
        if (!owned_) RemoveStaleTemporariesIn(*folder);
        open_[key] = folder;
    }
    return *folder;
}

}  // namespace tessarin
