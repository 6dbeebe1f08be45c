// tessarin-cli replace: replaces the entry KEY's data with the file SOURCE.
#include "cli/ConsoleEvents.h"
#include "cli/StdinSource.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/platform/Cp936.h"
#include "replace/Replace.h"

namespace tessarin::cli {

int RunReplace(const ReplaceOptions& options) {
    ConsoleEvents events;
    Program program(events);
    // The type table only names the entries; a missing one is no failure.
    LoadExtTypes(program.ExtTypes);
    if (options.source.empty()) {
        events.MsgBox(Text(Msg::NoSourceGiven), MsgIcon::Stop, kProgramTitle);
        return 1;
    }
    if (!OpenArchive(program, events, NativeToText(options.archive))) return 1;
    ReplaceRequest request;
    request.key = EntryKeyOf(program, events, NativeToText(options.key));
    if (request.key.empty()) return 1;

    const StdinSource source(NativeToText(options.source));
    if (!source.Ready()) return 1;
    request.source = source.Path();
    return ReplaceEntry(program, request) ? 0 : 1;
}

}  // namespace tessarin::cli
