#include "core/platform/Cp936.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "core/platform/Native.h"

namespace tessarin {
namespace {

constexpr char32_t kEscapeBase = 0xDC00;  // byte b (0x80..0xFF) travels as U+DC00 + b
constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLeadCount = 0xFE - 0x81 + 1;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kTrailCount = 0xFE - 0x40 + 1;

bool IsSurrogate(char32_t cp) { return cp >= 0xD800 && cp <= 0xDFFF; }
bool IsByteEscape(char32_t cp) { return cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF; }

bool IsPrivateUse(char32_t cp) { return cp >= 0xE000 && cp <= 0xF8FF; }

// The double-byte half of code page 936, taken once from the system's converter.
// Pairs that would make the mapping ambiguous are left out, so each code point in
// the table has exactly one pair and decoding followed by encoding is the identity.
// The user-defined areas, which some systems map to private-use code points and
// others reject, are left out too, so every system gives the same table.
struct Cp936Tables {
    std::array<char32_t, kLeadCount * kTrailCount> decode{};  // 0: not a valid pair
    std::vector<std::uint16_t> encodeBmp = std::vector<std::uint16_t>(0x10000, 0);  // 0: none
    std::unordered_map<char32_t, std::uint16_t> encodeOther;

    Cp936Tables() {
        // Without a converter every non-ASCII byte is escaped, which still round-trips.
        for (const auto& [pair, cp] : native::SystemCp936Pairs()) {
            const unsigned lead = pair >> 8;
            const unsigned trail = pair & 0xFF;
            if (!IsCp936LeadByte(static_cast<unsigned char>(lead)) || trail < kFirstTrail || trail > 0xFE ||
                trail == 0x7F) {
                continue;
            }
            if (cp < 0x80 || IsSurrogate(cp) || IsPrivateUse(cp) || cp > 0x10FFFF || Contains(cp)) {
                continue;
            }
            decode[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)] = cp;
            if (cp < 0x10000) {
                encodeBmp[cp] = pair;
            } else {
                encodeOther.emplace(cp, pair);
            }
        }
    }

    bool Contains(char32_t cp) const {
        return cp < 0x10000 ? encodeBmp[cp] != 0 : encodeOther.count(cp) != 0;
    }

    char32_t Decode(unsigned char lead, unsigned char trail) const {
        if (trail < kFirstTrail || trail > 0xFE) {
            return 0;
        }
        return decode[(lead - kFirstLead) * kTrailCount + (trail - kFirstTrail)];
    }

    std::uint16_t Encode(char32_t cp) const {
        if (cp < 0x10000) {
            return encodeBmp[cp];
        }
        const auto it = encodeOther.find(cp);
        return it == encodeOther.end() ? 0 : it->second;
    }
};

const Cp936Tables& Tables() {
    static const Cp936Tables tables;  // built once; thread-safe initialisation
    return tables;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// One code point decoded from UTF-8 at s[i]; length 0 when the byte there does
// not start a well-formed sequence. With allowSurrogates the three-byte forms of
// U+D800..U+DFFF are accepted too: that is how the program's text carries
// escaped bytes.
struct Decoded {
    char32_t cp = 0;
    std::size_t length = 0;
};

Decoded DecodeUtf8(std::string_view s, std::size_t i, bool allowSurrogates) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = at(i);
    if (b0 < 0x80) {
        return {b0, 1};
    }
    std::size_t length;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) {
            lo = 0xA0;
        } else if (b0 == 0xED && !allowSurrogates) {
            hi = 0x9F;
        }
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) {
            lo = 0x90;
        } else if (b0 == 0xF4) {
            hi = 0x8F;
        }
    } else {
        return {};
    }
    if (s.size() - i < length) {
        return {};
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = at(i + k);
        const unsigned char min = k == 1 ? lo : 0x80;
        const unsigned char max = k == 1 ? hi : 0xBF;
        if (b < min || b > max) {
            return {};
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    return {cp, length};
}

}  // namespace

std::size_t Cp936CharCount(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++count) {
        i += IsCp936LeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    }
    return count;
}

std::string Cp936ToText(std::string_view bytes) {
    const Cp936Tables& tables = Tables();
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (IsCp936LeadByte(b) && i + 1 < n) {
            const char32_t cp = tables.Decode(b, static_cast<unsigned char>(bytes[i + 1]));
            if (cp != 0) {
                AppendUtf8(out, cp);
                i += 2;
                continue;
            }
        }
        // Not part of a valid pair: keep the byte itself; decoding goes on at the next byte.
        AppendUtf8(out, kEscapeBase + b);
        ++i;
    }
    return out;
}

std::string TextToCp936(std::string_view text) {
    const Cp936Tables& tables = Tables();
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeUtf8(text, i, true);
        if (d.length == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += d.length;
        if (d.cp < 0x80) {
            out += static_cast<char>(d.cp);
        } else if (IsByteEscape(d.cp)) {
            out += static_cast<char>(d.cp - kEscapeBase);
        } else if (const std::uint16_t pair = tables.Encode(d.cp); pair != 0) {
            out += static_cast<char>(pair >> 8);
            out += static_cast<char>(pair & 0xFF);
        } else {
            out += '?';
        }
    }
    return out;
}

std::u16string TextToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeUtf8(text, i, true);
        if (d.length == 0) {
            out += u'\uFFFD';  // the program's text never holds malformed UTF-8
            ++i;
            continue;
        }
        i += d.length;
        if (d.cp >= 0x10000) {
            const char32_t v = d.cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(d.cp);
        }
    }
    return out;
}

std::string Utf16ToText(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);  // lone surrogates too: that is how escaped bytes travel
        }
    }
    return out;
}

#ifdef _WIN32
// Windows names are UTF-16: the program's text is their form already (escaped
// bytes become lone surrogates when the wide name is made).
std::string TextToNative(std::string_view text) { return std::string(text); }
#else
std::string TextToNative(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = DecodeUtf8(text, i, true);
        if (d.length != 0 && IsByteEscape(d.cp)) {
            out += static_cast<char>(d.cp - kEscapeBase);
            i += d.length;
        } else {
            const std::size_t length = d.length == 0 ? 1 : d.length;
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

#endif

std::string NativeToText(std::string_view native) {
    std::string out;
    out.reserve(native.size());
    for (std::size_t i = 0; i < native.size();) {
        // Windows names may hold lone surrogates (the escaped bytes among them).
#ifdef _WIN32
        const Decoded d = DecodeUtf8(native, i, true);
#else
        const Decoded d = DecodeUtf8(native, i, false);
#endif
        if (d.length == 0) {
            AppendUtf8(out, kEscapeBase + static_cast<unsigned char>(native[i]));
            ++i;
        } else {
            out.append(native.substr(i, d.length));
            i += d.length;
        }
    }
    return out;
}

}  // namespace tessarin
