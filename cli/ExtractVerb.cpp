// tessarin-cli extract: every entry in the archive's folders (as the export-all
// command does), or the named entries straight into DEST (as the single export).
#include <filesystem>
#include <unordered_map>

#include "cli/Console.h"
#include "cli/ConsoleWindow.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"
#include "extract/Export.h"

namespace tessarin::cli {

namespace {

// DEST as the folder picker would give it: absolute, and there.
bool PrepareDestination(const std::string& dest, std::string& folder) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(NativePath(NativeToText(dest)), ec);
    folder = ec ? NativeToText(dest) : PathText(absolute);
    try {
        if (!DirectoryExists(folder)) CreateDirectories(folder);
        return true;
    } catch (const VbError& error) {
        PrintError(FileFailureText(Text(Msg::CreateDestLead), folder, error));
        return false;
    }
}

}  // namespace

int RunExtract(const ExtractOptions& options) {
    ConsoleWindow window;
    Program program(window);
    if (!LoadTypeTable(options.typesFile, program.ExtTypes)) return 1;
    window.check1 = options.raw ? 1 : 0;
    if (!PrepareDestination(options.dest, window.folderAnswer)) return 1;
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;

    if (options.keys.empty()) return ExportAllEntries(program) ? 0 : 1;

    // Each file of DEST (as its file system tells names apart) -> the key written there.
    std::unordered_map<std::string, std::string> written;
    bool allDone = true;
    for (const std::string& argument : options.keys) {
        if (!window.SelectEntry(program.tree, NativeToText(argument))) {
            allDone = false;
            continue;
        }
        const TreeNode& node = *program.SelectedNode();
        const std::string file = FileNameCaseKey(node.text);
        // A second key whose file an earlier one wrote is refused, as export all does.
        if (const auto it = written.find(file); it != written.end() && it->second != node.key) {
            std::string path = window.folderAnswer;
            if (path.empty() || path.back() != kNativeSeparator) path += kNativeSeparator;
            ShowCollision(window, path + node.text, node.key, it->second);
            allDone = false;
            continue;
        }
        if (ExtSub(program, window.Handle())) written.emplace(file, node.key);
        else allDone = false;
        if (program.ending) return 1;
    }
    return allDone ? 0 : 1;
}

}  // namespace tessarin::cli
