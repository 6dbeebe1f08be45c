#pragma once
// The rules a name must meet before it is given to a new or renamed entry, and
// the records of such entries.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ARCFileCls.h"
#include "core/ExtTypes.h"

namespace tessarin {

// The most characters a name the writer puts into a record may have: the name
// field holds 64, and a zero byte always follows the name.
inline constexpr std::size_t kMaxNewNameChars = 63;

// Why a full name (program text) cannot be given to an entry; "" when it can:
// an empty part (an empty name, a leading, trailing or doubled "\"), a character
// that code page 936 cannot hold as it is (the name must read back the same),
// more than 63 characters (a double-byte character counting as one), or bytes
// that a reader would pair differently (a lone lead byte at the end or before "\").
std::string NewNameRefusal(std::string_view fullName);

// A key of a new entry: full name, ".", type code in hexadecimal (1 to 8 digits, either case).
struct NewKey {
    std::string fullName;
    std::int32_t code = 0;
};
std::optional<NewKey> ParseNewKey(std::string_view key);

// The record of an entry with this name and code, its type named by types;
// sizes and offset are zero.
ARCFileCls NewEntryRecord(const std::string& fullName, std::int32_t code, const ExtTypeIndex& types);

}  // namespace tessarin
