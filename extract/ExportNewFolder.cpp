#include "extract/ExportNewFolder.h"

#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Native.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"

namespace tessarin {

NewFolder MakeHiddenFolder(const std::string& path, SafeFolder& made) {
    const std::size_t cut = path.rfind(kNativeSeparator);
    NewFolder folder;
    const std::string parentText = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    folder.name = path.substr(cut == std::string::npos ? 0 : cut + 1);
    folder.parent = SafeFolder::Open(parentText.empty() ? "." : parentText);
    for (int n = 1;; ++n) {
        folder.hiddenName = TemporaryName(folder.name, native::CurrentProcessId(), n);
        try {
            made = folder.parent.CreateNewChild(folder.hiddenName);
            break;
        } catch (const VbError& error) {
            if (error.number() != vberr::FileAlreadyExists || n >= 1000) throw;
        }
    }
    folder.hiddenText = parentText + folder.hiddenName + kNativeSeparator;
    return folder;
}

bool PlaceNewFolder(MessageSink& messages, const NewFolder& folder, const std::string& root) {
    try {
        folder.parent.RenameChild(folder.hiddenName, folder.name);
        return true;
    } catch (const VbError& error) {
        messages.MsgBox(FileFailureText("无法把导出的文件夹放到目标位置，已导出的文件留在：" + folder.hiddenText + kCrLf +
                                            kCrLf + "目标位置：",
                                        root, error),
                        MsgIcon::Stop, kProgramTitle);
        return false;
    }
}

}  // namespace tessarin
