#include "cli/ConsoleStreams.h"

#include <cstdio>
#include <iostream>

#include "core/platform/Terminal.h"

namespace tessarin::cli {

namespace {

constexpr std::size_t kMaxPending = 64 * 1024;

// Where the last whole UTF-8 sequence of text ends: a lead byte near the end
// whose continuation bytes have not all come yet is left out.
std::size_t WholeSequencesEnd(std::string_view text) {
    const std::size_t n = text.size();
    for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(text[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

}  // namespace

bool TextStreamBuf::Deliver() {
    const std::size_t end = WholeSequencesEnd(pending_);
    if (end == 0) return true;
    const bool written = sink_(std::string_view(pending_).substr(0, end));
    pending_.erase(0, end);
    return written;
}

TextStreamBuf::int_type TextStreamBuf::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    return xsputn(&ch, 1) == 1 ? c : traits_type::eof();
}

std::streamsize TextStreamBuf::xsputn(const char* s, std::streamsize n) {
    const std::string_view text(s, static_cast<std::size_t>(n));
    pending_.append(text);
    if (text.find('\n') != std::string_view::npos || pending_.size() >= kMaxPending) {
        if (!Deliver()) return 0;
    }
    return n;
}

int TextStreamBuf::sync() { return Deliver() ? 0 : -1; }

void RouteStandardStreamsToConsole() {
    // Never destroyed: the streams flush through them until the process ends.
    if (IsConsole(stdout))
        std::cout.rdbuf(new TextStreamBuf([](std::string_view text) { return WriteText(stdout, text); }));
    if (IsConsole(stderr))
        std::cerr.rdbuf(new TextStreamBuf([](std::string_view text) { return WriteText(stderr, text); }));
}

}  // namespace tessarin::cli
