#include "core/ExtTypes.h"

#include <fstream>
#include <iterator>

#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/UserConfig.h"

namespace tessarin {

namespace {

std::string_view StripSpaces(std::string_view line) {
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return line;
}

// Handles one line of the file; returns false for a line that is neither
// blank, a comment nor a row (it holds no ":").
bool AddLine(ExtTypeTable& ExtTypes, std::string_view rawLine) {
    const std::string text = Cp936ToText(rawLine);
    std::string_view line = StripSpaces(text);
    if (line.empty() || line.substr(0, 2) == "//") return true;
    auto colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    std::string_view rest = line.substr(colon + 1);
    auto second = rest.find(':');
    AddExtType(ExtTypes, std::string(line.substr(0, colon)),
               std::string(second == std::string_view::npos ? rest : rest.substr(0, second)));
    return true;
}

}  // namespace

void AddExtType(ExtTypeTable& ExtTypes, const std::string& code, const std::string& name) {
    ExtTypes.push_back(ExtTypeCls{code, name});
}

std::string UserExtTypesPath() {
    const std::string folder = UserConfigFolder();
    return folder.empty() ? "" : folder + kNativeSeparator + kExtTypeFileName;
}

std::string DefaultExtTypesPath() {
    const std::string own = UserExtTypesPath();
    if (!own.empty() && FileExists(own)) return own;
    return ProgramFolder() + kNativeSeparator + kExtTypeFileName;
}

ExtTypeLoadReport LoadExtTypes(ExtTypeTable& ExtTypes) { return LoadExtTypes(ExtTypes, DefaultExtTypesPath()); }

ExtTypeLoadReport LoadExtTypes(ExtTypeTable& ExtTypes, const std::string& path) {
    ExtTypeLoadReport report;
    // A missing file (or a folder of that name) leaves the table empty, silently.
    if (!FileExists(path)) return report;
    std::ifstream in(NativePath(path), std::ios::binary);
    if (!in) {
        report.error = "无法读取类型文件: " + path;
        return report;
    }
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        report.error = "无法读取类型文件: " + path;
        return report;
    }

    // A line ends at CR (a LF right after it belongs to the line end); a LF
    // alone stays part of the line. A last line without CR still counts.
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t cr = content.find('\r', start);
        std::size_t end = cr == std::string::npos ? content.size() : cr;
        ++lineNumber;
        if (!AddLine(ExtTypes, std::string_view(content).substr(start, end - start)))
            report.skippedLines.push_back(lineNumber);
        if (cr == std::string::npos) break;
        start = cr + 1;
        if (start < content.size() && content[start] == '\n') ++start;
    }
    return report;
}

ExtTypeIndex::ExtTypeIndex(const ExtTypeTable& ExtTypes) {
    names_.reserve(ExtTypes.size());
    for (const auto& row : ExtTypes) names_.emplace(row.ClassExtkey, &row.ClassExttype);  // the first row stays
}

const std::string& ExtTypeIndex::LookupExtType(const std::string& hex) const {
    const auto it = names_.find(hex);
    return it == names_.end() ? hex : *it->second;
}

}  // namespace tessarin
