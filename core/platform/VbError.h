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

class VbError : public std::runtime_error {
public:
    explicit VbError(int number);
    VbError(int number, std::string description);
    int number() const { return number_; }
    const std::string& description() const { return description_; }

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
