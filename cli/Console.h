#pragma once
// Console helpers shared by the verbs.
#include <string>

#include "types/ExtTypes.h"

namespace tessarin::cli {

// Message text for a terminal: CR LF (and a lone CR) become newlines.
std::string ForTerminal(const std::string& text);
// Prints text and a newline on stderr.
void PrintError(const std::string& text);

// Loads the type table for a verb: typesFile, or ExtType.Dll beside the program
// when it is empty. Skipped lines are reported on stderr. Returns false (after a
// message) when an explicitly named file is missing or unreadable.
bool LoadTypeTable(const std::string& typesFile, ExtTypeTable& table);

}  // namespace tessarin::cli
