#pragma once
// The command-line companion's verbs; each returns the process exit code.
#include <string>
#include <vector>

namespace tessarin::cli {

struct ListOptions {
    std::string archive;
    std::string typesFile;  // "" -> ExtType.Dll beside the executable
    bool json = false;
    bool keys = false;  // one KEY a line, nothing else
};
int RunList(const ListOptions& options);

struct ExtractOptions {
    std::string archive;
    std::string dest;
    std::string typesFile;
    bool raw = false;
    std::vector<std::string> keys;  // empty: every entry, in the archive's folders
};
int RunExtract(const ExtractOptions& options);

struct ReplaceOptions {
    std::string archive;
    std::string key;
    std::string source;
};
int RunReplace(const ReplaceOptions& options);

struct ImportOptions {
    std::string archive;
    std::string folder;
    std::string typesFile;
    bool dryRun = false;
    bool checkAll = false;  // compare every file by content, whatever the export record says
    bool add = false;  // the files that match no entry become new entries
};
int RunImport(const ImportOptions& options);

struct VerifyOptions {
    std::string archive;
};
int RunVerify(const VerifyOptions& options);

}  // namespace tessarin::cli
