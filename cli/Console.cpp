#include "cli/Console.h"

#include <cstdio>
#include <iostream>

#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "cli/Verbs.h"
#include "core/ExtTypes.h"

namespace tessarin::cli {

// Names in messages are written as the bytes they stand for (bytes that are not
// valid code page 936 included), so the file they name can be found.
void PrintError(const std::string& text) { std::cerr << TextToNative(WithNewlines(text)) << std::endl; }

int FinishOutput(int code) {
    std::cout.flush();
    // The error flag stays set from any earlier write that failed.
    const bool failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || std::cout.fail();
    if (!failed) return code;
    PrintError(Text(Msg::StdoutIncomplete));
    return 1;
}

bool LoadTypeTable(const std::string& typesFile, ExtTypeTable& table) {
    const bool explicitFile = !typesFile.empty();
    const std::string path = explicitFile ? NativeToText(typesFile) : DefaultExtTypesPath();
    if (explicitFile && !FileExists(path)) {
        PrintError(Say(Msg::TypesMissing, {path}));
        return false;
    }
    const ExtTypeLoadReport report = LoadExtTypes(table, path);
    for (int line : report.skippedLines)
        PrintError(Say(Msg::TypesLineSkipped, {path, std::to_string(line)}));
    if (!report.error.empty()) {
        PrintError(report.error);
        return !explicitFile;
    }
    return true;
}

}  // namespace tessarin::cli
