#pragma once
// Binary files by number, with other programs (and other opens of the same file
// in this program) locked out while a file stays open.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tessarin {

enum class OpenMode {
    ReadWriteLocked,  // existing file (53 when missing), read and write, exclusive lock
    ReadLocked,       // existing file, read only, exclusive lock
    ReadShared,       // existing file, read only, a lock other readers share (writers stay out)
    CreateLocked,     // new empty file (truncated), read and write, exclusive lock
    CreateNewLocked,  // a file that must not exist yet (58 when it does), read and write, exclusive lock
};

class BinaryFile {
public:
    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Throws VbError: 53, 76, 70 (denied or locked), 75 (a folder, or other).
    // A file this open creates gets newPermissions (POSIX bits, less the umask)
    // from the start; Windows gives it its folder's access list.
    static BinaryFile Open(const std::string& path, OpenMode mode, unsigned newPermissions = 0666);

    bool IsOpen() const { return handle_ != kNoHandle; }
    const std::string& Path() const { return path_; }
    OpenMode Mode() const { return mode_; }
    std::int64_t Length() const;
    void Seek(std::int64_t offset);
    std::int64_t Position() const { return pos_; }

    // Reads up to n bytes at the current position; fewer only at the end of the file.
    std::size_t Read(void* buffer, std::size_t n);
    // Reads exactly n bytes or throws VbError 62.
    void ReadExact(void* buffer, std::size_t n);
    // Reads up to n bytes at offset without using or moving the position, so
    // another thread may read this way while the file is read as usual.
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t n) const;
    // Writes n bytes at the current position; throws VbError 61 (disk full) or 57.
    void Write(const void* buffer, std::size_t n);
    // Flushes the file's data to the disk.
    void Sync();
    void Close();

    // The system's own handle: a descriptor on POSIX, a HANDLE on Windows.
    using NativeHandle = std::intptr_t;
    static constexpr NativeHandle kNoHandle = -1;
    NativeHandle Handle() const { return handle_; }
    // Takes over a handle the platform layer opened and locked itself.
    static BinaryFile FromHandle(NativeHandle handle, const std::string& path,
                                 OpenMode mode = OpenMode::CreateLocked) {
        BinaryFile file;
        file.handle_ = handle;
        file.path_ = path;
        file.mode_ = mode;
        return file;
    }

private:
    // Reads until n bytes or the end of the file at pos_; advances pos_ by what was read.
    std::size_t ReadSome(void* buffer, std::size_t n);
    // The same at offset, moving nothing.
    std::size_t ReadSomeAt(std::int64_t offset, void* buffer, std::size_t n) const;

    NativeHandle handle_ = kNoHandle;
    std::int64_t pos_ = 0;
    std::string path_;
    OpenMode mode_ = OpenMode::ReadLocked;
};

// The program's file numbers: FreeFile gives the lowest unused one (1..511).
class FileTable {
public:
    std::int16_t FreeFile() const;
    BinaryFile& Open(std::int16_t number, const std::string& path, OpenMode mode);
    // Puts an already open file under number.
    BinaryFile& Adopt(std::int16_t number, BinaryFile file);
    BinaryFile& Get(std::int16_t number);  // throws VbError 52 when not open
    bool IsOpen(std::int16_t number) const;
    void Close(std::int16_t number);
    // Closes a file that no path names any more (an archive a rewrite replaced)
    // on a thread of its own: freeing a large file's blocks can take a while,
    // and nothing waits for it.
    void CloseInBackground(std::int16_t number);
    void CloseAll();

private:
    static constexpr int kMaxFiles = 511;
    std::array<std::unique_ptr<BinaryFile>, kMaxFiles + 1> files_{};
};

}  // namespace tessarin
