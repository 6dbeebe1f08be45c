#pragma once
// Finding entries by name: every entry whose full name (folders included)
// contains the text, ignoring the letter case of ASCII letters, in directory
// order. A match is selected and revealed as a click would select it, so the
// entry commands follow.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/AsciiCase.h"
#include "state/Program.h"

namespace tessarin {

struct FindOutcome {
    NodeId node = kNoNode;  // the selected match, kNoNode when none
    std::string status;     // a short text for the find dialog
};

class EntryFinder {
public:
    // Starts a search: selects the first match in directory order.
    FindOutcome Find(Program& program, const std::string& text);
    // Selects the match after the last one found, wrapping to the first;
    // starts over when the entries changed since.
    FindOutcome FindNext(Program& program);
    // The text of the last search ("" before the first).
    const std::string& Text() const { return text_; }

private:
    // Selects the first match at or after position from, wrapping once.
    FindOutcome SelectFrom(Program& program, std::size_t from);

    std::string text_;
    std::size_t last_ = 0;       // directory position of the last match
    std::string lastKey_;        // its key, to notice a different archive
};

}  // namespace tessarin
