#pragma once
// Adding, deleting and renaming entries of the open archive: each one rewrite
// (temporary file beside it, sync, rename); refused work writes nothing, and
// entries not named keep their stored bytes. The tree is not touched: callers
// that show one rebuild or update it from the records.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "state/Program.h"

namespace tessarin {

// What an edit of the open archive asks for, gathered by the window (its
// selection, the typed name, the files picked or dropped) or by the companion
// from its arguments. Each runs as one rewrite.
struct AddRequest {
    std::vector<std::pair<std::string, std::string>> additions;  // (key, source file), in this order
};
struct DeleteRequest {
    std::vector<std::string> keys;
};
struct RenameRequest {
    std::vector<std::pair<std::string, std::string>> renames;  // (key, new key)
};

// Appends an entry with key (full name, ".", type code in hexadecimal) and the
// deflated bytes of the file at source, last in directory order. Refused: a
// malformed key, a name NewNameRefusal refuses, a key already there, a source
// that cannot be read or holds 1 GiB or more. False after a message.
bool AddEntry(Program& program, const std::string& key, const std::string& source);
// The same for several entries (key, source) in one rewrite, in this order.
bool AddEntries(Program& program, const AddRequest& request);

// Removes the entries with these keys; every key must name an entry (all are
// checked first). The other entries keep their order and stored bytes.
bool DeleteEntries(Program& program, const DeleteRequest& request);

// Gives the entry key the name and type code of newKey; it keeps its place in
// the directory and its stored bytes. Refused like AddEntry's key.
bool RenameEntry(Program& program, const std::string& key, const std::string& newKey);
// The same for several entries in one rewrite (a folder renamed): every key
// must name an entry, and no two entries may end with one key.
bool RenameEntries(Program& program, const RenameRequest& request);

// The key newKey, checked as a new entry's key of the open archive: nullopt
// after a message when it is malformed, its name is refused, or an entry other
// than except (an index into the records) has it. The record has the key's
// canonical form.
std::optional<ARCFileCls> CheckNewKey(Program& program, const std::string& newKey,
                                      std::size_t except = static_cast<std::size_t>(-1));

}  // namespace tessarin
