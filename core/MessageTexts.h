#pragma once
// Message texts that several commands share. The window shows its classic
// texts; the command-line companion (after UseCompanionMessages) gets texts
// that name the file and say the cause in words, in its language.
#include <string>

#include "core/platform/VbError.h"

namespace tessarin {

inline constexpr const char* kWrongTypeText = "文件类型不正确";
inline constexpr const char* kWrongTypeTitle = "错误提示";
inline constexpr const char* kUnknownErrorTitle = "提示";

// Switches this process to the companion's texts.
void UseCompanionMessages();
bool CompanionMessages();

// The cause of a failure in words, with the error number in brackets
// ("权限不足（错误 70）"); the classic description for numbers without words.
std::string CauseText(int number, const std::string& description);

// Error 70 while opening path: in use (another open holds it) or no permission.
std::string FileInUseText(const std::string& path);
std::string AccessRefusedText(const std::string& path, const std::string& description);
// Any other error number while opening or reading; path is what was being
// opened (the companion names it; the window's text does not).
std::string UnknownErrorText(int number, const std::string& description, const std::string& path = "");
// The file at path does not begin as an archive does.
std::string WrongTypeText(const std::string& path);

// A message's CR LF (and lone CR) line breaks as "\n", for displays that break lines there.
std::string WithNewlines(const std::string& text);

// "lead", the file on its own line, then the error's number and description
// (the companion: lead, file and cause on one line).
std::string FileFailureText(const std::string& lead, const std::string& path, const VbError& error);

}  // namespace tessarin
