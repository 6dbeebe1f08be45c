#pragma once
// Reading an entry's stored bytes from the open archive: the checks made before
// anything is allocated or read, and a source that reads in blocks.
#include <cstdint>
#include <optional>

#include "core/platform/BinaryFile.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"

namespace tessarin {

// A failure to read the archive, told apart from the failures of the file written.
struct ArchiveReadFailure {
    VbError error;
};

// Why storedSize bytes at offset cannot lie in an archive of length bytes
// (63 for a negative offset, 62 for a negative size or data past the end), or
// nullopt when they can.
std::optional<VbError> CheckDataInArchive(std::int64_t length, std::int64_t offset, std::int64_t storedSize);

// Reads from the archive's current position; failures throw ArchiveReadFailure.
class ArchiveSource : public ByteSource {
public:
    explicit ArchiveSource(BinaryFile& archive) : archive_(archive) {}
    void Read(std::uint8_t* buffer, std::size_t n) override;
    // Copies n bytes to out in blocks.
    void CopyTo(ByteSink& out, std::int64_t n);

private:
    BinaryFile& archive_;
};

// Reads storedSize bytes at offset with positioned reads, which leave the
// file's position alone: a reader on another thread can use it while the file
// stays open. The range is checked against the file's length when made
// (nullopt when it cannot lie in the file); failures throw ArchiveReadFailure.
class ArchiveRangeSource : public ByteSource {
public:
    static std::optional<VbError> Check(const BinaryFile& archive, std::int64_t offset, std::int64_t storedSize);
    ArchiveRangeSource(const BinaryFile& archive, std::int64_t offset, std::int64_t storedSize)
        : archive_(archive), at_(offset), left_(storedSize) {}
    void Read(std::uint8_t* buffer, std::size_t n) override;

private:
    const BinaryFile& archive_;
    std::int64_t at_;
    std::int64_t left_;
};

}  // namespace tessarin
