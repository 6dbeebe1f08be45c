#include "core/MessageTexts.h"

#include "core/MessageTable.h"
#include "core/Messages.h"

namespace tessarin {

namespace {

bool companion = false;

std::string CompanionFailure(const std::string& lead, const std::string& path, int number,
                             const std::string& description) {
    return Say(Msg::FileFailure, {Translated(lead), path, CauseText(number, description)});
}

}  // namespace

void UseCompanionMessages() { companion = true; }
bool CompanionMessages() { return companion; }

std::string CauseText(int number, const std::string& description) {
    std::string words;
    switch (number) {
    case vberr::FileNotFound: words = Text(Msg::CauseNotFound); break;
    case vberr::PathNotFound: words = Text(Msg::CauseFolderNotFound); break;
    case vberr::PermissionDenied:
        words = Text(VbError::IsInUse(number, description) ? Msg::CauseInUse : Msg::CauseDenied);
        break;
    case vberr::DiskFull: words = Text(Msg::CauseDiskFull); break;
    case vberr::PathFileAccess: words = Text(Msg::CauseNotAFile); break;
    case vberr::DeviceIO: words = Text(Msg::CauseDeviceIO); break;
    case vberr::FileAlreadyExists: words = Text(Msg::CauseExists); break;
    case vberr::InputPastEnd: words = Text(Msg::CausePastEnd); break;
    case vberr::TooManyFiles: words = Text(Msg::CauseTooManyFiles); break;
    case vberr::OutOfMemory: words = Text(Msg::CauseOutOfMemory); break;
    default: words = description; break;
    }
    return words + Say(Msg::ErrorNumber, {std::to_string(number)});
}

std::string FileInUseText(const std::string& path) {
    if (companion) return CompanionFailure(Text(Msg::OpenArchiveLead), path, vberr::PermissionDenied, kInUseDescription);
    return std::string(kCrLf) + "文件可能被其它应用程序占用,请关闭后再重试." + kCrLf + kCrLf + path;
}

std::string AccessRefusedText(const std::string& path, const std::string& description) {
    if (VbError::IsInUse(vberr::PermissionDenied, description)) return FileInUseText(path);
    if (companion) return CompanionFailure(Text(Msg::OpenArchiveLead), path, vberr::PermissionDenied, description);
    return std::string(kCrLf) + Text(Msg::PermissionWindowText) + kCrLf + kCrLf + path;
}

std::string UnknownErrorText(int number, const std::string& description, const std::string& path) {
    if (companion && !path.empty()) return CompanionFailure(Text(Msg::OpenArchiveLead), path, number, description);
    if (companion) return Say(Msg::GenericFailure, {CauseText(number, description)});
    return "发现未知的错误,错误编号:" + std::to_string(number) + kCrLf + kCrLf + "错误信息:" + description;
}

std::string WrongTypeText(const std::string& path) {
    if (!companion) return kWrongTypeText;
    return Say(Msg::FileFailure, {Text(Msg::OpenArchiveLead), path, Text(Msg::NotArc)});
}

std::string WithNewlines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out.push_back(text[i]);
            continue;
        }
        out.push_back('\n');
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

std::string FileFailureText(const std::string& lead, const std::string& path, const VbError& error) {
    if (companion) return CompanionFailure(lead, path, error.number(), error.description());
    return lead + kCrLf + path + kCrLf + kCrLf + "错误编号:" + std::to_string(error.number()) + kCrLf +
           "错误信息:" + error.description();
}

}  // namespace tessarin
