// tessarin-cli replace: the replace command on the entry KEY, with SOURCE as the
// file the user picks.
#include "cli/ConsoleWindow.h"
#include "cli/Verbs.h"
#include "core/platform/Cp936.h"
#include "replace/Replace.h"

namespace tessarin::cli {

namespace {
constexpr const char* kReplaceDone = "替换完成。";
}  // namespace

int RunReplace(const ReplaceOptions& options) {
    ConsoleWindow window;
    Program program(window);
    // The type table only names the entry in the picker's title; a missing one is no failure.
    LoadExtTypes(program.ExtTypes, DefaultTypesPath());
    if (options.source.empty()) {
        window.MsgBox("未指定替换文件。", MsgIcon::Stop, kProgramTitle);
        return 1;
    }
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;
    if (!window.SelectEntry(program.tree, NativeToText(options.key))) return 1;

    const std::size_t from = window.messages.size();
    window.openAnswers.push_back(NativeToText(options.source));
    ReaplceFile(program, window.Handle());
    return window.FailuresSince(from) == 0 && window.InformedSince(from, kReplaceDone) ? 0 : 1;
}

}  // namespace tessarin::cli
