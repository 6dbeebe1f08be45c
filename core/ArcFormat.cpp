#include "core/ArcFormat.h"

#include "core/platform/Cp936.h"

namespace tessarin {

std::string DropZeroCharacters(std::string_view field) {
    std::string name;
    name.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        auto b = static_cast<unsigned char>(field[i]);
        if (IsCp936LeadByte(b) && i + 1 < field.size()) {
            name.push_back(field[i]);
            name.push_back(field[++i]);
        } else if (b != 0) {
            name.push_back(field[i]);
        }
    }
    return name;
}

std::string TypeCodeHex(std::int32_t code) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    auto value = static_cast<std::uint32_t>(code);
    if (value == 0) return "0";
    char buffer[8];
    int n = 0;
    while (value != 0) {
        buffer[n++] = kDigits[value & 0xF];
        value >>= 4;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(n));
    while (n > 0) text.push_back(buffer[--n]);
    return text;
}

std::optional<std::int32_t> ParseTypeCodeHex(std::string_view hex) {
    if (hex.empty() || hex.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : hex) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else return std::nullopt;
        value = (value << 4) | digit;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> OrgSizeFromField(std::int32_t field) {
    // field - bias leaves the signed range exactly for fields below INT32_MIN + bias.
    if (field < INT32_MIN + kOrgSizeBias) return std::nullopt;
    return field - kOrgSizeBias;
}

}  // namespace tessarin
