#include "replace/ImportRecord.h"

#include <new>

#include "core/platform/VbError.h"
#include "extract/ExportRecord.h"

namespace tessarin {

void ImportRecord::Load(Program& program, const std::string& folder, bool checkAll) {
    folder_ = folder;
    trusted_ = false;
    recorded_.clear();
    holds_.clear();
    if (checkAll) return;
    std::optional<StoredExportRecord> stored = ReadExportRecord(folder);
    const std::optional<ExportRecord> now = RecordForOpenArchive(program);
    if (!stored || !now || stored->record.archivePath != now->archivePath || stored->record.archive != now->archive)
        return;
    trusted_ = true;
    writtenAt_ = stored->writtenAt;
    for (auto& [key, stamp] : stored->record.files) recorded_.emplace(std::move(key), stamp);
}

bool ImportRecord::Unchanged(const std::string& key, const std::string& relative,
                             const std::optional<FileStamp>& listed) {
    if (!trusted_) return false;
    const auto it = recorded_.find(key);
    if (it == recorded_.end()) return false;
    // A file changed in the same tick of the file system's clock as the record
    // was written could keep every time it had: such files are read.
    if (it->second.changed >= writtenAt_) return false;
    const std::optional<FileStamp> stamp = listed ? listed : StampOfFileBelow(folder_, relative);
    if (!stamp || *stamp != it->second) return false;
    holds_[key] = *stamp;
    return true;
}

void ImportRecord::Holds(const std::string& key, const std::optional<FileStamp>& stamp) {
    if (stamp) holds_[key] = *stamp;
    else holds_.erase(key);
}

void ImportRecord::Save(Program& program) const {
    std::optional<ExportRecord> record = RecordForOpenArchive(program);
    if (!record) return;
    for (const auto& [key, stamp] : holds_) record->files.emplace_back(key, stamp);
    try {
        WriteExportRecord(folder_, *record);
    } catch (const VbError&) {
    } catch (const std::bad_alloc&) {
    }
}

}  // namespace tessarin
