#pragma once
// The texts shown when opening an archive fails.
#include <string>

namespace tessarin {

inline constexpr const char* kWrongTypeText = "文件类型不正确";
inline constexpr const char* kWrongTypeTitle = "错误提示";

// Error 70: the file is in use or access is denied.
std::string FileInUseText(const std::string& path);
// Any other error number while opening or reading.
std::string UnknownErrorText(int number, const std::string& description);

}  // namespace tessarin
