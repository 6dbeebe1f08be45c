#pragma once
// Windows only: the program's text as the wide names the system takes, and back.
#include <string>

namespace tessarin::win {

// UTF-16 name for CreateFileW and friends; escaped bytes travel as lone surrogates.
std::wstring Wide(const std::string& text);
// The program's text for a name the system gave.
std::string FromWide(const wchar_t* text, std::size_t length);
inline std::string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

// The "in use" mark every BinaryFile takes: an exclusive lock on one byte far
// beyond any offset that is ever read or written, like flock on POSIX. A second
// open of the file, in this program or another instance, fails to take it.
constexpr unsigned long kInUseOffsetLow = 0xFFFFFFFEul;
constexpr unsigned long kInUseOffsetHigh = 0x7FFFFFFFul;

}  // namespace tessarin::win
