#pragma once
// What the fuzzing targets share: the scratch files an input is written to,
// the check that aborts on a broken promise, and a small type table.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ExtTypes.h"
#include "core/platform/BinaryFile.h"
#include "extract/Codec.h"

namespace tessarin::fuzz {

// One file per process that each input overwrites.
const std::string& InputPath();
const std::string& WriteInput(const std::uint8_t* data, std::size_t size, const std::string& path = InputPath());

// Keeps what it is given, up to a limit it must never pass.
class Collect : public ByteSink {
public:
    explicit Collect(std::int64_t limit) : limit_(limit) {}
    void Put(const std::uint8_t* bytes, std::size_t n) override;
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::int64_t limit_;
    std::vector<std::uint8_t> bytes_;
};

std::vector<std::uint8_t> ReadAt(BinaryFile& file, std::int64_t offset, std::int64_t n);

// Aborts, which the fuzzer and the corpus test both report as a failure.
void Require(bool condition);

// Two types: 1A is "png"; 20 has a quote and a backslash in its name.
ExtTypeTable SmallTable();

}  // namespace tessarin::fuzz
