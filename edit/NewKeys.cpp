#include "edit/NewKeys.h"

#include "edit/FileEntries.h"
#include "extract/ExportPaths.h"

namespace tessarin {

std::optional<NewKey> ParseKeyWithTypes(std::string_view key, const ExtTypeTable& table) {
    const auto dot = key.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto code = TypeCodeOfExtension(std::string(key.substr(dot + 1)), table);
    if (!code) return std::nullopt;
    return NewKey{std::string(key.substr(0, dot)), *code};
}

std::string ExportNameRefusal(const ARCFileCls& record) {
    return PlaceOf(record) ? std::string() : std::string("文件名不是导出会写出的名称");
}

}  // namespace tessarin
