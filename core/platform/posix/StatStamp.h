#pragma once
// POSIX only: a file's stamp from what stat(2) tells of it.
#include <sys/stat.h>

#include "core/platform/FileStamp.h"

namespace tessarin {

FileStamp StampOfStat(const struct stat& st);

}  // namespace tessarin
