#include "cli/Console.h"

#include <iostream>

#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "cli/Verbs.h"
#include "types/ExtTypes.h"

namespace tessarin::cli {

std::string ForTerminal(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

void PrintError(const std::string& text) { std::cerr << ForTerminal(text) << std::endl; }

std::string DefaultTypesPath() { return ProgramFolder() + kNativeSeparator + kExtTypeFileName; }

bool LoadTypeTable(const std::string& typesFile, ExtTypeTable& table) {
    const bool explicitFile = !typesFile.empty();
    const std::string path = explicitFile ? NativeToText(typesFile) : DefaultTypesPath();
    if (explicitFile && !FileExists(path)) {
        PrintError("类型文件不存在: " + path);
        return false;
    }
    const ExtTypeLoadReport report = LoadExtTypes(table, path);
    for (int line : report.skippedLines)
        PrintError(path + ": 第 " + std::to_string(line) + " 行没有 \":\"，已跳过。");
    if (!report.error.empty()) {
        PrintError(report.error);
        return !explicitFile;
    }
    return true;
}

}  // namespace tessarin::cli
