#pragma once
// The folder an export of every entry makes itself (see
// ExportAllEntriesIntoNewFolder).
#include <string>

#include "core/Messages.h"
#include "core/platform/SafeFolder.h"

namespace tessarin {

// A folder the export makes itself: made under a hidden temporary name beside
// where it belongs, written whole, and given its name when the run ends. No
// one else has put anything in it, so its files are written under their own
// names, and a run that is killed leaves only the hidden folder, never a
// half-written file where the export belongs.
struct NewFolder {
    SafeFolder parent;
    std::string name;        // the folder's name in parent
    std::string hiddenName;  // its name until the run ends
    std::string hiddenText;  // its path until then, ending in a separator
};

// Makes the hidden folder for path (no separator at its end) and opens it
// as made; throws VbError.
NewFolder MakeHiddenFolder(const std::string& path, SafeFolder& made);

// Gives the hidden folder its name once the run has ended; false after a
// message when something took the name meanwhile. root: the name's path, for the message.
bool PlaceNewFolder(MessageSink& messages, const NewFolder& folder, const std::string& root);

}  // namespace tessarin
