#pragma once
// Console helpers shared by the verbs.
#include <string>

#include "core/ExtTypes.h"

namespace tessarin::cli {

// Prints text on stderr, its CR LF line breaks as newlines, and a newline.
void PrintError(const std::string& text);

// The exit code once everything printed has been written out: a verb's code,
// or 1 (after a message on stderr) when standard output refused some of it
// (a full disk, a closed pipe), since a listing cut short is no listing.
int FinishOutput(int code);

// Loads the type table for a verb: typesFile, or ExtType.Dll beside the program
// when it is empty. Skipped lines are reported on stderr. Returns false (after a
// message) when an explicitly named file is missing or unreadable.
bool LoadTypeTable(const std::string& typesFile, ExtTypeTable& table);

}  // namespace tessarin::cli
