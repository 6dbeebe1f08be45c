// tessarin-cli verify: inflates every entry and checks it against its recorded
// sizes, and checks the layout a replacement relies on. Each problem is listed
// on stdout; the exit code is 1 when there is any.
#include <iostream>

#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/platform/Cp936.h"
#include "core/platform/VbError.h"
#include "extract/Verify.h"

namespace tessarin::cli {

int RunVerify(const VerifyOptions& options) {
    ConsoleEvents events;
    Program program(events);
    LoadExtTypes(program.ExtTypes);
    // Every entry is checked by the archive's records: no tree is built.
    if (!OpenArchive(program, events, NativeToText(options.archive), OpenTree::RootOnly)) return 1;

    const ArcEntryList& entries = program.arc.ArcEntries;
    const ArchiveCheck check = CheckOpenArchive(program);
    for (const ArchiveProblem& problem : check.problems) std::cout << problem.Text() << '\n';
    const std::string count = std::to_string(entries.size());
    if (!check.problems.empty())
        std::cout << Say(Msg::VerifyProblems, {count, std::to_string(check.problems.size())}) << std::endl;
    else if (!ConsoleEvents::Quiet())
        std::cout << Say(Msg::VerifyClean, {count}) << std::endl;
    return check.problems.empty() ? 0 : 1;
}

}  // namespace tessarin::cli
