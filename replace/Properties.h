#pragma once
// The properties command and the texts of the properties dialog.
#include <string>

#include "state/Program.h"

namespace tessarin {

// Shows frmInfo for the selected entry.
void ShowinfoSub(Program& program);

// The size text: "12 KB (12,345 字节)".
std::string SizeText(const std::string& Filesize);

}  // namespace tessarin
