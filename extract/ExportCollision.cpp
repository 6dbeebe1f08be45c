// The message of two entries of one export that map to the same file.
#include "core/MessageTexts.h"
#include "extract/Export.h"

namespace tessarin {

void ShowCollision(MessageSink& messages, const std::string& path, const std::string& key,
                   const std::string& firstKey) {
    messages.MsgBox("这个文件已由本次导出的另一个条目写入，后一个条目未导出：" + path + kCrLf + kCrLf + "KEY：" + key +
                        kCrLf + "已写入的 KEY：" + firstKey,
                    MsgIcon::Stop, kProgramTitle);
}

}  // namespace tessarin
