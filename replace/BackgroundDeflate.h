#pragma once
// Deflating a replacement's source on a thread of its own, into a nameless
// scratch file beside the archive, while the rewrite copies the archive's data
// that comes before the entry; the rewrite then copies the finished stream into
// place. Memory stays that of one streamed deflate.
#include <atomic>
#include <cstdint>
#include <exception>
#include <string>
#include <thread>

#include "core/platform/BinaryFile.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

class BackgroundDeflate {
public:
    // Starts deflating source (which only this object reads until it is done)
    // into a scratch file in the folder of besidePath.
    BackgroundDeflate(BinaryFile& source, const std::string& besidePath, std::int64_t maxPlain);
    // Stops the deflate if it is still running, and waits for it.
    ~BackgroundDeflate();
    BackgroundDeflate(const BackgroundDeflate&) = delete;
    BackgroundDeflate& operator=(const BackgroundDeflate&) = delete;

    // Waits for the deflate, writes its stream at out's position and returns
    // the source's size. Throws what the deflate threw (SourceTooLarge,
    // SourceReadFailure, DeflateFailure, VbError) and VbError for the copy.
    std::int64_t CopyInto(BinaryFile& out);

private:
    BinaryFile scratch_;
    DeflatedSizes sizes_;
    std::exception_ptr failure_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

}  // namespace tessarin
