#pragma once
// What an operation of the engine tells the one who runs it while it works:
// its progress, whether it may go on, a question with its choices, and
// messages with their icons. The main window is one receiver (it shows them
// as its dialogs and bars); the command-line companion prints them.
#include <cstddef>
#include <string>
#include <vector>

#include "core/Messages.h"

namespace tessarin {

// What the user chose after one entry of long work failed: go on (and be asked
// again at the next failure), go on without further messages (failures are
// listed at the end), or stop after the entry in hand.
enum class FailureChoice { GoOn, GoOnQuietly, Stop };

class OperationEvents : public MessageSink {
public:
    // Long work's progress: it begins with its number of steps, moves step by
    // step (items done of the total told beside the steps) and ends.
    virtual void ProgressBegun(int /*steps*/) {}
    virtual void ProgressMoved(int /*step*/) {}
    virtual void ProgressItems(std::size_t /*done*/, std::size_t /*total*/) {}
    virtual void ProgressEnded() {}

    // True once the work is to stop after the entry in hand.
    virtual bool StopRequested() const = 0;
    // A failure during long work, with the choice what to do next.
    virtual FailureChoice AskAfterFailure(const std::string& text, const std::string& title) = 0;
    // A question with yes and no; true for yes.
    virtual bool AskYesNo(const std::string& text, const std::string& title) = 0;
    // A summary over a list of lines (the failures of a quiet run, the problems found).
    virtual void ShowReport(const std::string& title, const std::string& summary,
                            const std::vector<std::string>& lines) = 0;
};

}  // namespace tessarin
