#pragma once
// std::cout and std::cerr through WriteText while they lead to a Windows
// console, so that everything the companion prints there (CLI11's help and
// errors too) reads right whatever the console's code page.
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>

namespace tessarin::cli {

// A stream buffer that hands its text to a sink in whole UTF-8 sequences: at
// each line break, flush, or 64 KiB; a sequence cut by a write waits for its end.
class TextStreamBuf : public std::streambuf {
public:
    using Sink = std::function<bool(std::string_view)>;
    explicit TextStreamBuf(Sink sink) : sink_(std::move(sink)) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    bool Deliver();

    Sink sink_;
    std::string pending_;
};

// Points std::cout and std::cerr, each that leads to a console, at such a buffer.
void RouteStandardStreamsToConsole();

}  // namespace tessarin::cli
