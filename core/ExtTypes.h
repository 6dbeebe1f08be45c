#pragma once
// The extension type table: names for type codes, read from "ExtType.Dll".
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessarin {

struct ExtTypeCls {
    std::string ClassExtkey;   // type code text, compared exactly
    std::string ClassExttype;  // its name, used as the file extension
};

using ExtTypeTable = std::vector<ExtTypeCls>;

inline constexpr const char* kExtTypeFileName = "ExtType.Dll";

void AddExtType(ExtTypeTable& ExtTypes, const std::string& code, const std::string& name);

// What LoadExtTypes met besides rows: line numbers (1-based) of lines that hold
// no ":" and were skipped, and an error text when the file could not be read.
struct ExtTypeLoadReport {
    std::vector<int> skippedLines;
    std::string error;
};

// This user's own table: "ExtType.Dll" in the user's configuration folder
// (whether it exists or not); "" when the system names no such folder.
std::string UserExtTypesPath();

// The table the programs read without --types: the user's own when it exists,
// otherwise "ExtType.Dll" in the program's folder.
std::string DefaultExtTypesPath();

// Reads the table at DefaultExtTypesPath(). A missing file leaves the table empty.
ExtTypeLoadReport LoadExtTypes(ExtTypeTable& ExtTypes);
// Reads the table from an explicit path (tests, the command-line companion).
ExtTypeLoadReport LoadExtTypes(ExtTypeTable& ExtTypes, const std::string& path);

// The table's names by code, hashed once for the many lookups of a directory.
// The table must outlive the index and stay unchanged meanwhile.
class ExtTypeIndex {
public:
    explicit ExtTypeIndex(const ExtTypeTable& ExtTypes);
    // The name of the first row whose code equals hex exactly; hex itself when none does.
    const std::string& LookupExtType(const std::string& hex) const;

private:
    std::unordered_map<std::string_view, const std::string*> names_;
};

}  // namespace tessarin
