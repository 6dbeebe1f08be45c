#pragma once
// Fuzzing targets of what the preview decodes below the window (see Targets.h
// for how they are run).
#include <cstddef>
#include <cstdint>

namespace tessarin::fuzz {

// A DDS texture of these bytes decoded within a pixel bound: an image of the
// size declared, or a reason, never a read outside the bytes.
void DdsTarget(const std::uint8_t* data, std::size_t size);
// The TGA header check: a header that holds for the whole file holds for its
// start, and its size is a real one.
void TgaTarget(const std::uint8_t* data, std::size_t size);
// Text detection and line ends in every encoding: a byte order mark decides
// the encoding, and nothing is read past the bytes (an odd UTF-16 tail included).
void TextTarget(const std::uint8_t* data, std::size_t size);

}  // namespace tessarin::fuzz
