#include "app/Find.h"

#include <algorithm>

#include "app/TreeEvents.h"

namespace tessarin {

namespace {

// The entry's full name: its key without the "." and type code.
std::string_view FullName(const ARCFileCls& entry) {
    const std::string_view key = entry.ArcFileKey;
    const auto dot = key.rfind('.');
    return dot == std::string_view::npos ? key : key.substr(0, dot);
}

}  // namespace

FindOutcome EntryFinder::Find(Program& program, const std::string& text) {
    text_ = text;
    lastKey_.clear();
    if (text_.empty()) return {kNoNode, "请输入要查找的文字。"};
    return SelectFrom(program, 0);
}

FindOutcome EntryFinder::FindNext(Program& program) {
    const ArcEntryList& entries = program.arc.ArcEntries;
    if (text_.empty()) return {kNoNode, "请输入要查找的文字。"};
    // After a close or another open the last match means nothing: start over.
    if (lastKey_.empty() || last_ >= entries.size() || entries[last_].ArcFileKey != lastKey_) {
        return SelectFrom(program, 0);
    }
    return SelectFrom(program, last_ + 1);
}

FindOutcome EntryFinder::SelectFrom(Program& program, std::size_t from) {
    const ArcEntryList& entries = program.arc.ArcEntries;
    const std::size_t count = entries.size();
    std::size_t matches = 0, found = count, ordinal = 0;
    // One pass counts the matches and finds the first one at or after from
    // (or, failing that, the first one at all).
    std::size_t first = count;
    for (std::size_t i = 0; i < count; ++i) {
        if (!ContainsIgnoringAsciiCase(FullName(entries[i]), text_)) continue;
        ++matches;
        if (first == count) first = i;
        if (found == count && i >= from) {
            found = i;
            ordinal = matches;
        }
    }
    if (found == count && first != count) {
        found = first;
        ordinal = 1;
    }
    if (found == count) {
        lastKey_.clear();
        return {kNoNode, "找不到“" + text_ + "”。"};
    }
    last_ = found;
    lastKey_ = entries[found].ArcFileKey;
    const NodeId node = program.tree.Find(lastKey_);
    if (node != kNoNode) {
        program.ui.TreeSelect(node);
        program.ui.TreeEnsureVisible(node);
        NodeClick(program, node);
    }
    return {node, "第 " + std::to_string(ordinal) + " 个，共 " + std::to_string(matches) + " 个"};
}

}  // namespace tessarin
