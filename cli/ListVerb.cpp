// tessarin-cli list: the entries of an archive, as text or one JSON object,
// written as the directory is read.
#include <cstdio>

#include "cli/Console.h"
#include "cli/Listing.h"
#include "cli/Verbs.h"
#include "core/platform/Cp936.h"

namespace tessarin::cli {

int RunList(const ListOptions& options) {
    ExtTypeTable types;
    if (!LoadTypeTable(options.typesFile, types)) return 1;

    OutputBuffer out(stdout);
    const ListingResult result = WriteListing(NativeToText(options.archive), types, options.json, out, options.keys);
    if (!result.ok) {
        PrintError(result.failure.message);
        return 1;
    }
    return 0;
}

}  // namespace tessarin::cli
