#pragma once
// What a benchmark's operations report: messages printed with a lead ("message: "),
// the closing information ones left out where asked; no one to ask, so a
// failure is printed and the work goes on, and a question is answered yes.
#include <cstdio>
#include <string>
#include <vector>

#include "state/OperationEvents.h"

namespace tessarin::bench {

class PrintingEvents : public OperationEvents {
public:
    PrintingEvents(const char* lead, std::FILE* out, bool information = true)
        : lead_(lead), out_(out), information_(information) {}

    void MsgBox(const std::string& text, MsgIcon icon, const std::string&) override {
        if (icon != MsgIcon::Information || information_) std::fprintf(out_, "%s%s\n", lead_, text.c_str());
    }
    bool StopRequested() const override { return false; }
    FailureChoice AskAfterFailure(const std::string& text, const std::string& title) override {
        MsgBox(text, MsgIcon::Stop, title);
        return FailureChoice::GoOn;
    }
    bool AskYesNo(const std::string&, const std::string&) override { return true; }
    void ShowReport(const std::string&, const std::string& summary, const std::vector<std::string>&) override {
        MsgBox(summary, MsgIcon::Information, {});
    }

private:
    const char* lead_;
    std::FILE* out_;
    bool information_;
};

}  // namespace tessarin::bench
