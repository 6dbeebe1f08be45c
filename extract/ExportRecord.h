#pragma once
// The record an inflated export of all entries leaves in the chosen folder: for
// each file it wrote, the entry's key and the file's stamp right after it was
// written, and the archive's path and stamp. While the archive and a file still
// have those stamps, the file still holds the entry's inflated data, and an
// import can take it as unchanged without reading it.
//
// Text, one item a line, fields separated by one space:
//   tessarin-export 1
//   archive PATH SIZE MODIFIED CHANGED DEVICE INDEX
//   file KEY SIZE MODIFIED CHANGED DEVICE INDEX      (one per file)
//   end COUNT                                        (the number of file lines)
// PATH and KEY are escaped (%XX for "%", DEL, and every byte up to the space),
// so any bytes read back exactly. A record that does not parse whole is not used.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/FileStamp.h"
#include "state/Program.h"

namespace tessarin {

// The record's file name in the chosen folder. Import and create never take a
// file of this name for an entry or for a stray.
inline constexpr const char* kExportRecordName = ".tessarin-export";

struct ExportRecord {
    std::string archivePath;  // the archive's real location (links resolved)
    FileStamp archive;
    std::vector<std::pair<std::string, FileStamp>> files;  // entry key, file stamp
};

std::string FormatExportRecord(const ExportRecord& record);
std::optional<ExportRecord> ParseExportRecord(std::string_view text);

// A record as found in a folder, with the time its file was last written (the
// file system's clock, like the stamps in it).
struct StoredExportRecord {
    ExportRecord record;
    std::int64_t writtenAt = 0;
};

// The record in folder; nullopt when there is none, it cannot be read (a link,
// too large) or it does not parse.
std::optional<StoredExportRecord> ReadExportRecord(const std::string& folder);

// Writes the record into folder as a whole: a temporary beside it, renamed over
// the old one without waiting for the disk. Throws VbError.
void WriteExportRecord(const std::string& folder, const ExportRecord& record);

// An empty record for the open archive as it stands now; nullopt when its stamp
// cannot be taken.
std::optional<ExportRecord> RecordForOpenArchive(Program& program);

// Collects what one inflated export of all entries writes and leaves the
// record at its end.
class ExportRecorder {
public:
    // Takes the archive's stamp now; folder is the chosen folder.
    ExportRecorder(Program& program, std::string folder);
    // A file was written for the entry (its index in ArcEntries) at
    // folders/name below the chosen folder; its stamp, when the writer has it,
    // spares looking the file up again.
    void Written(std::size_t entry, const std::vector<std::string>& folders, const std::string& name,
                 const std::optional<FileStamp>& stamp = std::nullopt);
    // Writes the record; a record that cannot be written is left out (an
    // import then compares every file). Nothing is written when an entry's own
    // file took the record's name.
    void Save() const;

private:
    const std::vector<ARCFileCls>& entries_;
    std::string folder_;
    std::optional<ExportRecord> head_;  // the archive's part; the files are kept below
    std::vector<std::pair<std::uint32_t, FileStamp>> files_;  // entry index, file stamp
    bool nameTaken_ = false;
};

}  // namespace tessarin
