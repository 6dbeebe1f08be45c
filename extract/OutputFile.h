#pragma once
// Writing an exported file: the one place that creates files for the exports.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Messages.h"

namespace tessarin {

// Replaces the file at path with size bytes: they go to a new file beside it,
// which is then renamed over it, so a file already at path stays as it was
// until the new one is whole, and a link there is replaced, never written
// through. On a failure a stop message names the file and the result is false.
bool WriteOutputFile(MessageSink& messages, const std::string& path, const std::uint8_t* bytes, std::size_t size);

}  // namespace tessarin
