#include "edit/EditMessages.h"

#include "core/MessageTexts.h"

namespace tessarin {

namespace {

std::string FileTooLarge(const std::string& path) { return std::string(kTooLargeText) + "：" + path; }

const SourceWords kFileWords = {"无法读取文件：", FileTooLarge};

}  // namespace

bool ShowSourceFailure(Program& program, const std::string& path, const std::exception_ptr& failure) {
    return ShowSourceFailure(program.ui, path, failure, kFileWords);
}

void ShowKeyRefusal(Program& program, const std::string& text, const std::string& key) {
    program.ui.MsgBox(text + "，KEY：" + key, MsgIcon::Stop, kProgramTitle);
}

}  // namespace tessarin
