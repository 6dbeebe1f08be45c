// tessarin-cli verify: inflates every entry and checks it against its recorded
// sizes, and checks the layout a replacement relies on. Each problem is listed
// on stdout; the exit code is 1 when there is any.
#include <iostream>

#include "cli/Console.h"
#include "cli/ConsoleWindow.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/platform/Cp936.h"
#include "core/platform/VbError.h"
#include "extract/Verify.h"

namespace tessarin::cli {

int RunVerify(const VerifyOptions& options) {
    ConsoleWindow window;
    Program program(window);
    LoadExtTypes(program.ExtTypes);
    if (!OpenArchive(program, window, NativeToText(options.archive))) return 1;

    const ArcEntryList& entries = program.arc.ArcEntries;
    // The long-work bar, as the window's check drives it (drawn on a terminal).
    constexpr int kBar = 2;
    window.SetProgressVisible(kBar, true);
    window.SetProgressMin(kBar, 0);
    window.SetProgressMax(kBar, static_cast<int>(entries.size()));
    window.SetProgressValue(kBar, 0);
    const ArchiveCheck check =
        CheckArchive(program.files.Get(program.arc.ArcFileNum), entries, [&](std::size_t checked) {
            window.SetProgressValue(kBar, static_cast<int>(checked));
            return true;
        });
    window.SetProgressVisible(kBar, false);
    for (const ArchiveProblem& problem : check.problems) std::cout << problem.Text() << '\n';
    const std::string count = std::to_string(entries.size());
    if (!check.problems.empty())
        std::cout << Say(Msg::VerifyProblems, {count, std::to_string(check.problems.size())}) << std::endl;
    else if (!ConsoleWindow::Quiet())
        std::cout << Say(Msg::VerifyClean, {count}) << std::endl;
    return check.problems.empty() ? 0 : 1;
}

}  // namespace tessarin::cli
