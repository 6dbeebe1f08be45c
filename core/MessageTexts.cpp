#include "core/MessageTexts.h"

#include "core/Messages.h"

namespace tessarin {

std::string FileInUseText(const std::string& path) {
    return std::string(kCrLf) + "文件可能被其它应用程序占用,请关闭后再重试." + kCrLf + kCrLf + path;
}

std::string UnknownErrorText(int number, const std::string& description) {
    return "发现未知的错误,错误编号:" + std::to_string(number) + kCrLf + kCrLf + "错误信息:" + description;
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
    return lead + kCrLf + path + kCrLf + kCrLf + "错误编号:" + std::to_string(error.number()) + kCrLf +
           "错误信息:" + error.description();
}

}  // namespace tessarin
