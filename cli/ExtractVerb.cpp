// tessarin-cli extract: every entry in the archive's folders (as the export-all
// command does), or the named entries straight into DEST (as the single export).
#include <filesystem>
#include <unordered_map>

#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"

namespace tessarin::cli {

namespace {

#ifdef _WIN32
// The Windows file layer does not make an export's hidden folder yet: a new
// DEST is made first and written as any chosen folder is.
constexpr bool kExportMakesHiddenFolder = false;
#else
constexpr bool kExportMakesHiddenFolder = true;
#endif

// DEST as the folder picker would give it: absolute, and there. For an
// export of every entry a DEST that is not there yet is left to the export,
// which makes it itself (fresh): only the folders above it are made.
bool PrepareDestination(const std::string& dest, bool allEntries, std::string& folder, bool& fresh) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(NativePath(NativeToText(dest)), ec);
    if (!ec && !absolute.has_filename()) absolute = absolute.parent_path();  // "out/" is "out"
    folder = ec ? NativeToText(dest) : PathText(absolute);
    fresh = false;
    try {
        if (DirectoryExists(folder)) return true;
        const std::string parent = PathText(absolute.parent_path());
        std::error_code statError;
        const bool somethingThere = std::filesystem::exists(std::filesystem::symlink_status(absolute, statError));
        fresh = kExportMakesHiddenFolder && allEntries && !ec && !somethingThere && absolute.has_parent_path() &&
                absolute.parent_path() != absolute;
        if (!fresh) CreateDirectories(folder);  // a file in the way says so here
        else if (!DirectoryExists(parent)) CreateDirectories(parent);
        return true;
    } catch (const VbError& error) {
        PrintError(FileFailureText(Text(Msg::CreateDestLead), folder, error));
        return false;
    }
}

}  // namespace

int RunExtract(const ExtractOptions& options) {
    ConsoleEvents events;
    Program program(events);
    if (!LoadTypeTable(options.typesFile, program.ExtTypes)) return 1;
    ExportRequest request;
    request.raw = options.raw;
    if (!PrepareDestination(options.dest, options.keys.empty(), request.folder, request.newFolder)) return 1;
    if (!OpenArchive(program, events, NativeToText(options.archive))) return 1;

    if (options.keys.empty()) return ExportEntries(program, request) ? 0 : 1;

    // Each file of DEST (as its file system tells names apart) -> the key written there.
    std::unordered_map<std::string, std::string> written;
    bool allDone = true;
    for (const std::string& argument : options.keys) {
        const std::string key = EntryKeyOf(program, events, NativeToText(argument));
        if (key.empty()) {
            allDone = false;
            continue;
        }
        const std::string name = FindEntryByKey(program.arc.ArcEntries, key)->ArcFileName;
        const std::string file = FileNameCaseKey(name);
        // A second key whose file an earlier one wrote is refused, as export all does.
        if (const auto it = written.find(file); it != written.end() && it->second != key) {
            std::string path = request.folder;
            if (path.empty() || path.back() != kNativeSeparator) path += kNativeSeparator;
            ShowCollision(events, path + name, key, it->second);
            allDone = false;
            continue;
        }
        if (ExportOneEntry(program, request, key)) written.emplace(file, key);
        else allDone = false;
        if (program.ending) return 1;
    }
    return allDone ? 0 : 1;
}

}  // namespace tessarin::cli
