// tessarin-cli import: puts the files of a folder laid out as an inflated
// export back into the archive, in one rewrite. One line per replaced entry
// (its key) on stdout; files that match no entry are named on stderr, or with
// --add become new entries, listed after them as "+KEY".
#include <cstdio>
#include <unordered_set>

#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/platform/Terminal.h"
#include "core/platform/Cp936.h"
#include "edit/ImportAdditions.h"
#include "replace/Import.h"

namespace tessarin::cli {

int RunImport(const ImportOptions& options) {
    ConsoleEvents events;
    Program program(events);
    // File names carry the type table's extensions, so the table matters here.
    if (!LoadTypeTable(options.typesFile, program.ExtTypes)) return 1;
    // The files are matched with the archive's records: no tree is built.
    if (!OpenArchive(program, events, NativeToText(options.archive), OpenTree::RootOnly)) return 1;

    ImportPlan plan;
    if (!PlanImport(program, NativeToText(options.folder), plan, options.checkAll)) return 1;
    if (options.add && !PlanImportAdditions(program, plan)) return 1;
    const std::unordered_set<std::string> added(plan.strays.begin(), options.add ? plan.strays.end() : plan.strays.begin());
    for (const std::string& file : plan.unmatched)
        if (added.count(file) == 0) PrintError(Say(Msg::NoMatchSkipped, {file}));
    // A dry run refuses whatever the real run would refuse before writing.
    if (options.dryRun ? !CheckImportCanBeApplied(program, plan) : !ApplyImport(program, plan)) return 1;

    std::string lines;
    for (const ImportItem& item : plan.changed) {
        lines += TextToNative(program.arc.ArcEntries[item.index].ArcFileKey);
        lines += '\n';
    }
    for (const ImportAddition& addition : plan.added) lines += "+" + TextToNative(addition.record.ArcFileKey) + "\n";
    WriteText(stdout, lines);
    return 0;
}

}  // namespace tessarin::cli
