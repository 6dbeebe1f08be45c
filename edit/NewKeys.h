#pragma once
// The rules a key given to a new or renamed entry meets beyond its name's own:
// its type named as a new archive's files name it, and a name an export writes.
#include <optional>
#include <string>
#include <string_view>

#include "core/ARCFileCls.h"
#include "core/EntryNames.h"
#include "core/ExtTypes.h"

namespace tessarin {

// "NAME.TYPE", TYPE a type's name from the table (ASCII case ignored) or its
// code in hexadecimal, 1 to 8 digits, as the extension of a file being added.
std::optional<NewKey> ParseKeyWithTypes(std::string_view key, const ExtTypeTable& table);

// Why an export could not write this entry under its own name (a part that is
// "..", ".", holds a separator, a drive marker...); "" when it can. An entry
// that cannot be exported must not be made in the first place.
std::string ExportNameRefusal(const ARCFileCls& record);

}  // namespace tessarin
