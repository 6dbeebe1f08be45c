#pragma once
// Writing an exported file: the one place that creates files for the exports.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Messages.h"

namespace tessarin {

// Replaces the file at path with size bytes. A link at the path is removed
// first, so nothing is ever written through it to wherever it points. On a
// failure the partial file is removed, a stop message names the file, and the
// result is false.
bool WriteOutputFile(MessageSink& messages, const std::string& path, const std::uint8_t* bytes, std::size_t size);

}  // namespace tessarin
