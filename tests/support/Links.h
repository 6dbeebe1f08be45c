#pragma once
// Symbolic links for tests that plant them. Not every system lets a test make
// one (Windows without the privilege or developer mode, Wine, which answers
// CreateSymbolicLinkW with success and makes nothing): MakeLink says so, and
// the test skips with that reason.
#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <string>
#include <system_error>

#include "core/platform/FileSystem.h"

namespace tessarin::testing {

// Makes link (program text) point to target, a folder or a file; empty on
// success, otherwise why links cannot be made here.
inline std::string MakeLink(const std::string& target, const std::string& link, bool folder) {
#ifdef _WIN32
    const std::wstring t = NativePath(target).make_preferred().wstring();
    const std::wstring l = NativePath(link).make_preferred().wstring();
    const DWORD flags = (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // ALLOW_UNPRIVILEGED_CREATE
    const bool made = ::CreateSymbolicLinkW(l.c_str(), t.c_str(), flags) != 0;
    const DWORD attributes = ::GetFileAttributesW(l.c_str());
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return "this system makes no symbolic links for this program (Wine, or Windows without the privilege)";
    }
    return {};
#else
    std::error_code ec;
    if (folder) std::filesystem::create_directory_symlink(NativePath(target), NativePath(link), ec);
    else std::filesystem::create_symlink(NativePath(target), NativePath(link), ec);
    return ec ? "cannot make a symbolic link: " + ec.message() : std::string();
#endif
}

}  // namespace tessarin::testing
