#include "extract/OutputFile.h"

#include <filesystem>

#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"

namespace tessarin {

std::string FileFailureText(const std::string& lead, const std::string& path, const VbError& error) {
    return lead + kCrLf + path + kCrLf + kCrLf + "错误编号:" + std::to_string(error.number()) + kCrLf +
           "错误信息:" + error.description();
}

bool WriteOutputFile(MessageSink& messages, const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    const std::filesystem::path native(TextToNative(path));
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(native, ec))) std::filesystem::remove(native, ec);
    TryDeleteFile(path);

    BinaryFile file;
    try {
        file = BinaryFile::Open(path, OpenMode::CreateLocked);
        if (size > 0) file.Write(bytes, size);
        file.Close();
        return true;
    } catch (const VbError& error) {
        const bool created = file.IsOpen();
        file.Close();
        // A cut-off copy must not pass for the entry. Only a regular file is
        // removed: a device at the path (such as /dev/full) must survive.
        if (created && FileExists(path)) TryDeleteFile(path);
        messages.MsgBox(FileFailureText("写入文件时出错，文件未导出：", path, error), MsgIcon::Stop, "Tessarin");
        return false;
    }
}

}  // namespace tessarin
