// tessarin-cli replace: the replace command on the entry KEY, with SOURCE as the
// file the user picks.
#include "cli/ConsoleWindow.h"
#include "cli/Verbs.h"
#include "core/platform/Cp936.h"
#include "replace/Replace.h"

namespace tessarin::cli {

int RunReplace(const ReplaceOptions& options) {
    ConsoleWindow window;
    Program program(window);
    // The type table only names the entry in the picker's title; a missing one is no failure.
    LoadExtTypes(program.ExtTypes);
    if (options.source.empty()) {
        window.MsgBox("未指定替换文件。", MsgIcon::Stop, kProgramTitle);
        return 1;
    }
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;
    if (!window.SelectEntry(program.tree, NativeToText(options.key))) return 1;

    window.openAnswers.push_back(NativeToText(options.source));
    return ReaplceFile(program, window.Handle()) ? 0 : 1;
}

}  // namespace tessarin::cli
