#include "extract/EntrySource.h"

#include <algorithm>
#include <memory>
#include <string>

namespace tessarin {

std::optional<VbError> CheckDataInArchive(std::int64_t length, std::int64_t offset, std::int64_t storedSize) {
    if (offset < 0) return VbError(vberr::BadRecordNumber, "记录的数据位置无效 (" + std::to_string(offset) + ")");
    if (storedSize < 0) return VbError(vberr::InputPastEnd, "记录的存储大小无效 (" + std::to_string(storedSize) + ")");
    if (offset > length || storedSize > length - offset) return VbError(vberr::InputPastEnd);
    return std::nullopt;
}

void ArchiveSource::Read(std::uint8_t* buffer, std::size_t n) {
    try {
        if (n > 0) archive_.ReadExact(buffer, n);
    } catch (const VbError& error) {
        throw ArchiveReadFailure{error};
    }
}

void ArchiveSource::CopyTo(ByteSink& out, std::int64_t n) {
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[kStreamBlock]);
    while (n > 0) {
        const auto part = static_cast<std::size_t>(std::min<std::int64_t>(n, kStreamBlock));
        Read(block.get(), part);
        out.Put(block.get(), part);
        n -= static_cast<std::int64_t>(part);
    }
}

std::optional<VbError> ArchiveRangeSource::Check(const BinaryFile& archive, std::int64_t offset,
                                                std::int64_t storedSize) {
    try {
        return CheckDataInArchive(archive.Length(), offset, storedSize);
    } catch (const VbError& error) {
        return error;
    }
}

void ArchiveRangeSource::Read(std::uint8_t* buffer, std::size_t n) {
    if (static_cast<std::int64_t>(n) > left_) throw ArchiveReadFailure{VbError(vberr::InputPastEnd)};
    try {
        if (n > 0 && archive_.ReadAt(at_, buffer, n) != n) throw VbError(vberr::InputPastEnd);
    } catch (const VbError& error) {
        throw ArchiveReadFailure{error};
    }
    at_ += static_cast<std::int64_t>(n);
    left_ -= static_cast<std::int64_t>(n);
}

}  // namespace tessarin
