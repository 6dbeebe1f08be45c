#pragma once
// What a file's metadata says about it without reading it: its size, its
// modification and change times and its identity. A file whose stamp is the
// same as before has not been written to, renamed over or replaced meanwhile
// (the change time moves with every write and every change of the times
// themselves, which a program can set back, but not the change time).
#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/BinaryFile.h"

namespace tessarin {

struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modified = 0;  // POSIX: nanoseconds since 1970; Windows: FILETIME units
    std::int64_t changed = 0;   // ctime; on Windows the ChangeTime of FILE_BASIC_INFO
    std::uint64_t device = 0;   // st_dev; on Windows the volume serial number
    std::uint64_t index = 0;    // st_ino; on Windows the file index
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of an open file; nullopt when the system cannot tell.
std::optional<FileStamp> StampOfOpenFile(const BinaryFile& file);

// The stamp of the plain file at relative ("/"-joined components) below
// folder, reached without following a link and without reading the file;
// nullopt for anything else (missing, a link, a folder, unreadable).
std::optional<FileStamp> StampOfFileBelow(const std::string& folder, const std::string& relative);

}  // namespace tessarin
