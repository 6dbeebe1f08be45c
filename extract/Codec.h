#pragma once
// The zlib conversions between stored entry data and plain bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "core/Messages.h"

namespace tessarin {

// The last successful ZipBytes result; read by the replacement.
struct ZipState {
    std::vector<std::uint8_t> ZippedBytes;
    std::int32_t ZippedSize = 0;
};

// Inflates storedSize bytes of data into a file of exactly uncompressedSize bytes.
// Codec failures show their "Compression Error" message and return false, leaving
// any file at outputPath untouched. A file that cannot be written gets a message
// naming it, and no partial file is left behind. Size 0 gives an empty file.
bool UnzipToFile(MessageSink& messages, const std::uint8_t* data, std::int32_t storedSize,
                 std::int32_t uncompressedSize, const std::string& outputPath);

// Deflates size bytes into state.ZippedBytes / ZippedSize; a failure shows its
// message and keeps the previous result.
bool ZipBytes(MessageSink& messages, ZipState& state, const std::uint8_t* data, std::int32_t size);

// The destination size offered to zlib: size * 1.01 + 12, rounded half to even.
std::int32_t ZipOutputBound(std::int32_t size);

// zlib result of inflating into a buffer of at most uncompressedSize bytes,
// without messages (used by verification). out receives the bytes produced, so a
// stream shorter than recorded shows as out.size() < uncompressedSize.
int InflateToBuffer(const std::uint8_t* data, std::int32_t storedSize, std::int32_t uncompressedSize,
                    std::vector<std::uint8_t>& out);

}  // namespace tessarin
