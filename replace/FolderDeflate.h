#pragma once
// Deflating every file of a folder for a new archive, on a worker per core.
// Files are handed over in batches of consecutive files, in order: a small
// file is read and deflated whole in memory, its stored bytes put after those
// of the batch's earlier files; a file too large for that bound is deflated
// alone, block by block, into a nameless scratch file beside the archive. At
// most two batches per worker are done ahead of the one the writer takes, so
// memory stays bounded whatever the number of files.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/BinaryFile.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

// Files up to this size are deflated in memory.
inline constexpr std::int64_t kInMemoryFile = 256 << 10;

class FolderDeflate {
public:
    // One file's stored bytes: in the batch's bytes, or in scratch when it is open.
    struct File {
        DeflatedSizes sizes;
        BinaryFile scratch;
    };
    struct Batch {
        std::size_t first = 0;         // index of its first file
        std::vector<File> files;       // in order
        std::vector<unsigned char> bytes;  // the in-memory files' stored bytes, one after another
        std::exception_ptr failure;    // SourceReadFailure, SourceTooLarge, DeflateFailure, VbError...
        std::size_t failed = 0;        // the file it concerns
        bool done = false;
    };

    // count files, fileAt(i) relative to folder ("/"-joined components, opened
    // without following links), listedSizeAt(i) its size as the folder's
    // listing gave it (-1 unknown), which only groups the files into batches;
    // both are called from the workers until the object is gone. Each file may
    // hold at most maxPlain bytes. Scratch files go into the folder of scratchBeside.
    FolderDeflate(std::string folder, std::size_t count, std::function<const std::string&(std::size_t)> fileAt,
                  const std::function<std::int64_t(std::size_t)>& listedSizeAt, std::string scratchBeside,
                  std::int64_t maxPlain);
    ~FolderDeflate();
    FolderDeflate(const FolderDeflate&) = delete;
    FolderDeflate& operator=(const FolderDeflate&) = delete;

    std::size_t BatchCount() const { return starts_.size(); }

    // Waits for batch b, calling whileWaiting about every 30 ms (it may throw
    // to give up), and hands it over. Batches are taken in ascending order.
    Batch Take(std::size_t b, const std::function<void()>& whileWaiting);

private:
    struct Worker;
    void Work();
    void DeflateBatch(std::size_t b, Batch& batch, Worker& worker);

    const std::string folder_;
    const std::size_t count_;
    const std::function<const std::string&(std::size_t)> fileAt_;
    const std::string scratchBeside_;
    const std::int64_t maxPlain_;
    std::vector<std::size_t> starts_;  // each batch's first file; it ends where the next begins
    std::vector<Batch> results_;       // batch b in slot b % window_
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t window_ = 2;
    std::size_t next_ = 0;   // next batch a worker takes
    std::size_t taken_ = 0;  // batches the writer has taken
    bool quit_ = false;
};

}  // namespace tessarin
