#include "replace/ReplaceMessages.h"

#include <zlib.h>

#include "core/MessageTexts.h"

namespace tessarin {

void ShowSourceTooLarge(Program& program, const std::string& path) {
    program.ui.MsgBox(std::string("替换文件太大，无法存入档案：") + kCrLf + path + kCrLf + kCrLf +
                          "文件大小必须小于 1,073,741,824 字节。",
                      MsgIcon::Warning, kProgramTitle);
}

void ShowSourceFailure(Program& program, const std::string& path, const VbError& error) {
    program.ui.MsgBox(FileFailureText("无法读取替换文件：", path, error), MsgIcon::Stop, kProgramTitle);
}

void ShowDeflateFailure(Program& program, int code) {
    program.ui.MsgBox(code == Z_MEM_ERROR ? "Insufficient memory" : "Buffer too small", MsgIcon::Warning,
                      "Compression Error");
}

}  // namespace tessarin
