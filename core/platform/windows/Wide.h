#pragma once
// Windows only: the program's text as the wide names the system takes, and back.
#include <string>

namespace tessarin::win {

// UTF-16 name for CreateFileW and friends; escaped bytes travel as lone surrogates.
std::wstring Wide(const std::string& text);
// The program's text for a name the system gave.
std::string FromWide(const wchar_t* text, std::size_t length);
inline std::string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

}  // namespace tessarin::win
