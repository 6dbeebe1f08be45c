#pragma once
// Message boxes: every procedure that can fail reports through this interface,
// so the window, the command-line companion and the tests each show or record them.
#include <string>

namespace tessarin {

enum class MsgIcon { Information, Warning, Stop, Question };

inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kProgramTitle = "Tessarin";

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A message box with one OK button; returns when it has been closed.
    virtual void MsgBox(const std::string& text, MsgIcon icon, const std::string& title) = 0;
};

}  // namespace tessarin
