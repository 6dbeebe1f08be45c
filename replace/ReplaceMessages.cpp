#include "replace/ReplaceMessages.h"

#include <zlib.h>

#include <new>

#include "core/MessageTexts.h"
#include "core/platform/VbError.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

namespace {

constexpr std::size_t kMaxListed = 10;

std::string ReplacementTooLarge(const std::string& path) {
    return std::string("替换文件太大，无法存入档案：") + kCrLf + path + kCrLf + kCrLf +
           "文件大小必须小于 1,073,741,824 字节。";
}

}  // namespace

const SourceWords kReplacementWords = {"无法读取替换文件：", ReplacementTooLarge};

bool ShowSourceFailure(MessageSink& messages, const std::string& path, const std::exception_ptr& failure,
                       const SourceWords& words) {
    try {
        std::rethrow_exception(failure);
    } catch (const SourceTooLarge&) {
        messages.MsgBox(words.tooLarge(path), MsgIcon::Warning, kProgramTitle);
    } catch (const SourceReadFailure& f) {
        messages.MsgBox(FileFailureText(words.readLead, path, f.error), MsgIcon::Stop, kProgramTitle);
    } catch (const VbError& e) {
        messages.MsgBox(FileFailureText(words.readLead, path, e), MsgIcon::Stop, kProgramTitle);
    } catch (const DeflateFailure& f) {
        // zlib's failures, with the texts of the one-shot codec.
        messages.MsgBox(f.code == Z_MEM_ERROR ? "Insufficient memory" : "Buffer too small", MsgIcon::Warning,
                        "Compression Error");
    } catch (const std::bad_alloc&) {
        messages.MsgBox(FileFailureText(words.readLead, path, VbError(vberr::OutOfMemory)), MsgIcon::Stop,
                        kProgramTitle);
    } catch (...) {
        return false;
    }
    return true;
}

void ShowRefusals(MessageSink& messages, const std::string& lead, const std::vector<std::string>& refusals) {
    std::string text = lead;
    text += kCrLf;
    for (std::size_t i = 0; i < refusals.size() && i < kMaxListed; ++i) {
        text += kCrLf;
        text += refusals[i];
    }
    if (refusals.size() > kMaxListed) text += std::string(kCrLf) + "……（共 " + std::to_string(refusals.size()) + " 处）";
    messages.MsgBox(text, MsgIcon::Warning, kProgramTitle);
}

}  // namespace tessarin
