#include "extract/OutputFile.h"

#include "core/MessageTexts.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/FileSystem.h"

namespace tessarin {

bool WriteOutputFile(MessageSink& messages, const std::string& path, const std::uint8_t* bytes, std::size_t size) {
    std::string tempPath;
    BinaryFile file;
    try {
        file = CreateTemporaryBeside(path, tempPath);
        if (size > 0) file.Write(bytes, size);
        file.Close();
        // A link at path is replaced itself, never written through.
        ReplaceFileAtomically(tempPath, path, false);
        return true;
    } catch (const VbError& error) {
        file.Close();
        if (!tempPath.empty()) TryDeleteFile(tempPath);
        messages.MsgBox(FileFailureText("写入文件时出错，文件未导出：", path, error), MsgIcon::Stop, kProgramTitle);
        return false;
    }
}

}  // namespace tessarin
