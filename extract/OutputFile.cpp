#include "extract/OutputFile.h"

#include <algorithm>

#include "core/MessageTexts.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {
constexpr std::size_t kZeroBlock = 64 << 10;
const std::uint8_t kZeros[kZeroBlock] = {};
}  // namespace

void OutputFile::Put(const std::uint8_t* bytes, std::size_t n) {
    if (n > 0) file_.Write(bytes, n);
}

void OutputFile::PutZeros(std::int64_t n) {
    while (n > 0) {
        const auto part = static_cast<std::size_t>(std::min<std::int64_t>(n, kZeroBlock));
        file_.Write(kZeros, part);
        n -= static_cast<std::int64_t>(part);
    }
}

void ShowWriteFailure(MessageSink& messages, const std::string& displayPath, const VbError& error) {
    messages.MsgBox(FileFailureText("写入文件时出错，文件未导出：", displayPath, error), MsgIcon::Stop, kProgramTitle);
}

namespace {

// The file to write name into: under its own name in a folder the export owns
// while nothing is there, otherwise a temporary beside it.
FolderFile CreateFor(const SafeFolder& folder, const std::string& name, bool owned) {
    if (owned) {
        try {
            return folder.CreateNewFile(name);
        } catch (const VbError& error) {
            if (error.number() != vberr::FileAlreadyExists) throw;
        }
    }
    return folder.CreateTemporaryFor(name);
}

}  // namespace

bool WriteOutputFile(MessageSink& messages, const SafeFolder& folder, const std::string& name,
                     const std::string& displayPath, const std::function<bool(OutputFile&)>& fill, bool owned,
                     std::optional<FileStamp>* stamp) {
    try {
        FolderFile file = CreateFor(folder, name, owned);
        OutputFile output(file);
        if (!fill(output)) return false;  // the temporary goes with file
        file.CommitAs(name);
        if (stamp != nullptr) *stamp = file.CommittedStamp();
        return true;
    } catch (const VbError& error) {
        ShowWriteFailure(messages, displayPath, error);
        return false;
    }
}

}  // namespace tessarin
