#pragma once
// Message texts that several commands share.
#include <string>

#include "core/platform/VbError.h"

namespace tessarin {

inline constexpr const char* kWrongTypeText = "文件类型不正确";
inline constexpr const char* kWrongTypeTitle = "错误提示";
inline constexpr const char* kUnknownErrorTitle = "提示";

// Error 70: the file is in use or access is denied.
std::string FileInUseText(const std::string& path);
// Any other error number while opening or reading.
std::string UnknownErrorText(int number, const std::string& description);

// A message's CR LF (and lone CR) line breaks as "\n", for displays that break lines there.
std::string WithNewlines(const std::string& text);

// "lead", the file on its own line, then the error's number and description.
std::string FileFailureText(const std::string& lead, const std::string& path, const VbError& error);

}  // namespace tessarin
