#pragma once
// Adds entries to the tree: the folder nodes an entry's path needs, then its node.
#include <string>

#include "app/Program.h"

namespace tessarin {

// True when a node with this key exists and has at least one child (a folder or the root).
bool CheckKey(const EntryTree& tree, const std::string& Keys);

// Adds spath's folder nodes below RootKey and the entry node (key spath + "." + ExtHex).
// A repeated entry key shows the failure message and ends the program.
void AddItem(Program& program, const std::string& spath, const std::string& RootKey, const std::string& Ext,
             const std::string& ExtHex, const std::string& filename);

// Thrown once the program has been ended (after EndProgram): the running command stops at once.
struct ProgramEnding {};

// Thrown by AddItemNodes when the tree refuses the entry node.
struct EntryNodeRefused {
    std::string key;
};

// AddItem's node work without its failure handling, for callers that must close
// the window's tree reset before a message appears. Throws EntryNodeRefused for
// the entry node and VbError for a folder node the tree refuses.
void AddItemNodes(EntryTree& tree, const std::string& spath, const std::string& RootKey,
                  const std::string& ExtHex, const std::string& filename);

// AddItem's failure handling: the stop message, then the program ends (all files
// closed, EndProgram, program.ending). Always throws ProgramEnding.
[[noreturn]] void EndProgramForRefusedEntry(Program& program, const std::string& spath, const std::string& Ext);

}  // namespace tessarin
