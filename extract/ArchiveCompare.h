#pragma once
// Comparing two archives entry by entry, by key. Entries whose stored bytes
// are equal (and record the same original size) are equal without inflating;
// the others are compared by their inflated data, both streams inflated side
// by side in blocks, so memory stays small whatever the entries' sizes. A
// stream that does not inflate to its recorded size makes the entry damaged,
// never equal. The type code is part of the key: a retyped entry is one key
// removed and another added.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ARCFileCls.h"
#include "core/ExtTypes.h"
#include "core/platform/BinaryFile.h"

namespace tessarin {

inline constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);

enum class EntryChange { Added, Removed, Changed, Damaged };

struct EntryDifference {
    EntryChange change = EntryChange::Changed;
    std::string key;
    std::size_t indexA = kNoEntry;  // the entry in A's records, kNoEntry when only in B
    std::size_t indexB = kNoEntry;  // the entry in B's records, kNoEntry when only in A
    // Why that side's stream does not inflate; "" when it does (or was not inflated).
    std::string damageA;
    std::string damageB;
};

// One archive as compared: its file and its records.
struct ComparedArchive {
    BinaryFile& file;  // read with positioned reads only
    const ArcEntryList& entries;
};

struct CompareOptions {
    // Inflate the entries only B has too: one that does not inflate is damaged
    // (a patch made of B's entries must not carry it).
    bool checkAdded = false;
    // After each of B's entries, with how many are done; false stops the comparison.
    std::function<bool(std::size_t done)> onEntry;
};

struct ArchiveComparison {
    // In B's directory order (added, changed, damaged), then A's (removed).
    std::vector<EntryDifference> differences;
    bool stopped = false;
    bool HasDamage() const;
};

// Compares A with B. Two entries of one key in an archive are paired in their
// order: the first of A with the first of B, and so on.
ArchiveComparison CompareArchives(const ComparedArchive& a, const ComparedArchive& b, const CompareOptions& options = {});

// An archive opened for reading alone: its file (locked against writers) and
// its records.
struct ReadOnlyArchive {
    BinaryFile file;
    ArcEntryList entries;
};

// Opens path and reads its directory with the type table; nullopt after
// setting failure to a message naming path when it cannot be read.
std::optional<ReadOnlyArchive> OpenReadOnlyArchive(const std::string& path, const ExtTypeTable& types,
                                                   std::string& failure);

// Why entry's stream in file does not inflate to its recorded size, "" when it
// does. Read failures of the file count as damage of the entry, unless
// readFailuresThrow: they then throw ArchiveReadFailure.
std::string EntryDamage(BinaryFile& file, const ARCFileCls& entry, bool readFailuresThrow = false);

}  // namespace tessarin
