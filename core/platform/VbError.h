#pragma once
// Failures of file operations carry the classic run-time error numbers, so the
// messages the user sees name the same numbers whatever the platform.
#include <stdexcept>
#include <string>

namespace tessarin {

namespace vberr {
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int InternalError = 51;
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIO = 57;
constexpr int FileAlreadyExists = 58;
constexpr int DiskFull = 61;
constexpr int InputPastEnd = 62;
constexpr int BadRecordNumber = 63;
constexpr int TooManyFiles = 67;
constexpr int PermissionDenied = 70;  // also: locked by another program
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
}  // namespace vberr

// The classic description of an error number ("输入超出文件尾", ...).
std::string VbErrorDescription(int number);

// Error 70 has two causes: a refused permission (its classic description) and
// another open holding the file (a lock, a sharing violation), which carries
// this description so that messages can tell the two apart.
inline constexpr const char* kInUseDescription = "文件已被另一个程序打开";

class VbError : public std::runtime_error {
public:
    explicit VbError(int number);
    VbError(int number, std::string description);
    int number() const { return number_; }
    const std::string& description() const { return description_; }

    // Error 70 for a file another open holds.
    static VbError InUse();
    bool inUse() const { return IsInUse(number_, description_); }
    static bool IsInUse(int number, const std::string& description) {
        return number == vberr::PermissionDenied && description == kInUseDescription;
    }

private:
    int number_;
    std::string description_;
};

#ifdef _WIN32
// Maps a Windows error code (GetLastError) to the nearest classic error number.
int VbErrorFromWin32(unsigned long code);
// The same for a failure on a given path (program text).
int VbErrorFromWin32ForPath(unsigned long code, const std::string& path);
#else
// Maps an errno value to the nearest classic error number.
int VbErrorFromErrno(int err);

// The same for a failure on a given path (file-system bytes): a missing file whose
// folder is missing too is 76 (path not found) rather than 53.
int VbErrorFromErrnoForPath(int err, const std::string& nativePath);
#endif

}  // namespace tessarin
