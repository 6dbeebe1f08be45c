#include "replace/Properties.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/ArcState.h"
#include "core/GroupedNumber.h"

namespace tessarin {

namespace {

constexpr const char* kUnknownType = "未知";

// The number at the start of text, as the size field's text is read; 0 when none.
double LeadingNumber(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The pattern "###,###,###": rounded to a whole number, halves away from zero,
// thousands grouped with commas, and nothing at all for zero.
std::string GroupedWhole(double value) {
    const double rounded = std::round(value);
    if (rounded == 0) return {};
    return GroupedThousands(static_cast<std::int64_t>(rounded));
}

}  // namespace

std::string SizeText(const std::string& Filesize) {
    const double bytes = LeadingNumber(Filesize);
    double k = bytes / 1024;
    if (k < 1) k = 1;
    return GroupedWhole(k) + " KB " + "(" + GroupedWhole(bytes) + " 字节)";
}

void ShowinfoSub(Program& program) {
    const TreeNode* selected = program.SelectedNode();
    if (selected == nullptr) return;
    // The root and folder nodes have no record: there is nothing to show.
    const ARCFileCls* entry = FindEntryByKey(program.arc.ArcEntries, selected->key);
    if (entry == nullptr) return;

    InfoTexts texts;
    texts.filename = selected->text;
    texts.FiletypeHex = entry->ArcFileTypeHex;
    texts.Filetype = entry->ArcFileType != entry->ArcFileTypeHex ? entry->ArcFileType : kUnknownType;
    texts.Filepath = FolderPathOf(selected->key);
    texts.FileOFSET = std::to_string(entry->ArcFileOFSET);
    texts.Filesize = std::to_string(entry->ArcFileOrgSize);
    program.ui.Showinfo(texts);
}

}  // namespace tessarin
