#include "edit/EditMessages.h"

#include <new>

#include "core/MessageTexts.h"
#include "core/platform/VbError.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

namespace {
constexpr std::size_t kMaxListed = 10;
}

void ShowRefusals(Program& program, const std::string& lead, const std::vector<std::string>& refusals) {
    std::string text = lead;
    text += kCrLf;
    for (std::size_t i = 0; i < refusals.size() && i < kMaxListed; ++i) {
        text += kCrLf;
        text += refusals[i];
    }
    if (refusals.size() > kMaxListed) text += std::string(kCrLf) + "……（共 " + std::to_string(refusals.size()) + " 处）";
    program.ui.MsgBox(text, MsgIcon::Warning, kProgramTitle);
}

bool ShowSourceFailure(Program& program, const std::string& path, const std::exception_ptr& failure) {
    const std::string lead = "无法读取文件：";
    try {
        std::rethrow_exception(failure);
    } catch (const SourceTooLarge&) {
        program.ui.MsgBox(std::string(kTooLargeText) + "：" + path, MsgIcon::Warning, kProgramTitle);
    } catch (const SourceReadFailure& f) {
        program.ui.MsgBox(FileFailureText(lead, path, f.error), MsgIcon::Stop, kProgramTitle);
    } catch (const VbError& e) {
        program.ui.MsgBox(FileFailureText(lead, path, e), MsgIcon::Stop, kProgramTitle);
    } catch (const DeflateFailure& f) {
        program.ui.MsgBox(f.code == -4 ? "Insufficient memory" : "Buffer too small", MsgIcon::Warning,
                          "Compression Error");
    } catch (const std::bad_alloc&) {
        program.ui.MsgBox(FileFailureText(lead, path, VbError(vberr::OutOfMemory)), MsgIcon::Stop, kProgramTitle);
    } catch (...) {
        return false;
    }
    return true;
}

void ShowKeyRefusal(Program& program, const std::string& text, const std::string& key) {
    program.ui.MsgBox(text + "，KEY：" + key, MsgIcon::Stop, kProgramTitle);
}

}  // namespace tessarin
