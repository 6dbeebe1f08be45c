#pragma once
// One entry of the open archive: a plain record, filled by AddArcEntry.
#include <cstdint>
#include <string>
#include <vector>

namespace tessarin {

struct ARCFileCls {
    std::string ArcFileName;     // display name: base name, ".", type
    std::string ArcFilePath;     // folder inside the archive, "" or ending in "\"
    std::string ArcFileType;     // type name, or the hexadecimal code when unnamed
    std::string ArcFileTypeHex;  // type code as uppercase hexadecimal text
    std::int32_t ArcFileZipSize = 0;
    std::int32_t ArcFileOrgSize = 0;
    std::int32_t ArcFileOFSET = 0;
    std::string ArcFileKey;  // full name, ".", type code text
};

using ArcEntryList = std::vector<ARCFileCls>;

}  // namespace tessarin
