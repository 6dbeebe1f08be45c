#pragma once
// The listing of an archive written straight from the directory as it is read:
// each entry goes into an output buffer as soon as its record is read, the JSON
// text escaped in one pass, with no document tree in between.
#include <cstdio>
#include <string>
#include <string_view>

#include "core/ArcReader.h"

namespace tessarin::cli {

// Appends text (program text) as a JSON string literal: quotes, backslashes and
// control characters escaped as JSON requires, byte escapes (U+DC80..U+DCFF)
// as "\udcXX", every other valid UTF-8 character as it is, and each invalid
// UTF-8 sequence as one U+FFFD. No character of text is ever taken for
// anything but itself.
void AppendJsonString(std::string& out, std::string_view text);

// Output that gathers text and hands it to a stream in large blocks.
class OutputBuffer {
public:
    // stream nullptr: everything stays in Text() (for tests and fuzzing).
    explicit OutputBuffer(std::FILE* stream) : stream_(stream) { text_.reserve(kBlock + 4096); }
    ~OutputBuffer() { Flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    std::string& Text() { return text_; }
    // Writes the text out once a block has gathered.
    void MaybeFlush() {
        if (text_.size() >= kBlock) Flush();
    }
    void Flush();

private:
    static constexpr std::size_t kBlock = 1 << 16;
    std::FILE* stream_;
    std::string text_;
};

struct ListingFailure {
    int number = 0;  // 0 for a wrong magic
    std::string message;
};

// Reads the archive at path (program text) and writes its listing as it goes:
// the JSON document (streamed to out), or, in plain form, the header lines
// (only when the whole directory was read) and one line per entry; with
// keysOnly, each entry's key on a line of its own and nothing else. Returns
// the failure, if any; the caller reports it.
struct ListingResult {
    bool ok = true;
    ListingFailure failure;
};
ListingResult WriteListing(const std::string& path, const ExtTypeTable& types, bool json, OutputBuffer& out,
                           bool keysOnly = false);

}  // namespace tessarin::cli
