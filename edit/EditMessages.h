#pragma once
// Messages the editing commands share.
#include <exception>
#include <string>
#include <vector>

#include "replace/ReplaceMessages.h"
#include "state/Program.h"

namespace tessarin {

inline constexpr const char* kTooLargeText = "文件太大（必须小于 1,073,741,824 字节）";
inline constexpr const char* kTooDeepText = "文件夹层级超过 64 层，其中的文件无法读取";
inline constexpr const char* kOutOfRangeText =
    "数据偏移超出档案格式的范围（2,147,483,647 字节），档案未作改动。";

// A failure while reading or deflating a file that goes into the archive
// (SourceTooLarge, SourceReadFailure, DeflateFailure, VbError, bad_alloc).
// False when failure is none of these.
bool ShowSourceFailure(Program& program, const std::string& path, const std::exception_ptr& failure);

// "档案中没有这个条目，KEY：key" and the like, as a stop message.
void ShowKeyRefusal(Program& program, const std::string& text, const std::string& key);

}  // namespace tessarin
