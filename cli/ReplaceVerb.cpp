// tessarin-cli replace: the replace command on the entry KEY, with SOURCE as the
// file the user picks.
#include "cli/ConsoleWindow.h"
#include "cli/StdinSource.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/platform/Cp936.h"
#include "replace/Replace.h"

namespace tessarin::cli {

int RunReplace(const ReplaceOptions& options) {
    ConsoleWindow window;
    Program program(window);
    // The type table only names the entry in the picker's title; a missing one is no failure.
    LoadExtTypes(program.ExtTypes);
    if (options.source.empty()) {
        window.MsgBox(Text(Msg::NoSourceGiven), MsgIcon::Stop, kProgramTitle);
        return 1;
    }
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;
    if (!window.SelectEntry(program.tree, NativeToText(options.key))) return 1;

    const StdinSource source(NativeToText(options.source));
    if (!source.Ready()) return 1;
    window.openAnswers.push_back(source.Path());
    return ReaplceFile(program, window.Handle()) ? 0 : 1;
}

}  // namespace tessarin::cli
