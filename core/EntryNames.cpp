#include "core/EntryNames.h"

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/ArcWriter.h"
#include "core/platform/Cp936.h"

namespace tessarin {

std::string NewNameRefusal(std::string_view fullName) {
    std::size_t partStart = 0;
    for (std::size_t i = 0; i <= fullName.size(); ++i) {
        if (i < fullName.size() && fullName[i] != '\\') continue;
        if (i == partStart) return "名称中有空的部分";
        partStart = i + 1;
    }
    // The reader drops every zero byte, so a NUL could not come back either.
    const std::string bytes = TextToCp936(fullName);
    if (fullName.find('\0') != std::string_view::npos || Cp936ToText(bytes) != fullName)
        return "名称中有代码页 936 无法表示的字符";
    if (Cp936CharCount(bytes) > kMaxNewNameChars)
        return "名称超过 " + std::to_string(kMaxNewNameChars) + " 个字符";
    // A reader pairs a lead byte with whatever byte follows it in the field: a
    // name ending in one, or with one before a "\", would come back as another.
    const auto field = NameFieldBytes(std::string(fullName));
    if (!field || Cp936ToText(DropZeroCharacters(*field)) != fullName) return "名称的字节读回时会变成另一个名称";
    return {};
}

std::optional<NewKey> ParseNewKey(std::string_view key) {
    const auto dot = key.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto code = ParseTypeCodeHex(key.substr(dot + 1));
    if (!code) return std::nullopt;
    return NewKey{std::string(key.substr(0, dot)), *code};
}

ARCFileCls NewEntryRecord(const std::string& fullName, std::int32_t code, const ExtTypeIndex& types) {
    ArcEntryList one;
    const std::string hex = TypeCodeHex(code);
    const std::string& type = types.LookupExtType(hex);
    AddArcEntry(one, BaseNameOf(fullName) + "." + type, FolderPathOf(fullName), fullName, type, 0, 0, 0, hex);
    return std::move(one.front());
}

}  // namespace tessarin
