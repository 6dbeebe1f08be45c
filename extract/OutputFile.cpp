#include "extract/OutputFile.h"

#include <filesystem>

#include "core/MessageTexts.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"

namespace tessarin {

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
        messages.MsgBox(FileFailureText("写入文件时出错，文件未导出：", path, error), MsgIcon::Stop, kProgramTitle);
        return false;
    }
}

}  // namespace tessarin
