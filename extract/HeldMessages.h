#pragma once
// Messages of the entries of one export, held back and shown by the run.
#include <string>
#include <vector>

#include "core/MessageTexts.h"
#include "core/Messages.h"

namespace tessarin {

// Messages of one entry, held back so that the run can show them, ask after a
// failure or list them at the end.
class HeldMessages : public MessageSink {
public:
    struct Message {
        std::string text;
        MsgIcon icon;
        std::string title;
    };
    std::vector<Message> messages;
    void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) override {
        messages.push_back({text, icon, title});
    }
};

// The message text on one line, for a report.
inline std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : WithNewlines(text)) {
        if (c != '\n') line += c;
        else if (!line.empty() && line.back() != ' ') line += ' ';
    }
    return line;
}

}  // namespace tessarin
