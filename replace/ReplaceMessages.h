#pragma once
// The messages of a command that puts files into the archive (a replacement,
// an import, the editing commands) about its sources, and its refusals.
#include <exception>
#include <string>
#include <vector>

#include "core/Messages.h"

namespace tessarin {

// How a command names its source's failures.
struct SourceWords {
    const char* readLead;                        // before the path of a source that could not be read
    std::string (*tooLarge)(const std::string& path);  // a source of 1 GiB or more
};

// The words of a replacement and of an import: "无法读取替换文件：".
extern const SourceWords kReplacementWords;

// A failure while reading or deflating a source (SourceTooLarge,
// SourceReadFailure, DeflateFailure, VbError, bad_alloc) as one message.
// False, with nothing shown, when failure is none of these.
bool ShowSourceFailure(MessageSink& messages, const std::string& path, const std::exception_ptr& failure,
                       const SourceWords& words);

// One warning: lead, then the first refusals, one a line, and how many there are.
void ShowRefusals(MessageSink& messages, const std::string& lead, const std::vector<std::string>& refusals);

}  // namespace tessarin
