#pragma once
// A SOURCE given as "-": standard input, copied to a private temporary file
// first, since the commands read a source as a file of known length. The copy
// stops one byte past 1 GiB, the largest source an entry can take, so a larger
// input is refused by the command's own check without filling the disk.
#include <string>

namespace tessarin::cli {

class StdinSource {
public:
    // argument: SOURCE as given (program text).
    explicit StdinSource(const std::string& argument);
    ~StdinSource();
    StdinSource(const StdinSource&) = delete;
    StdinSource& operator=(const StdinSource&) = delete;

    // False (after a message) when standard input could not be copied.
    bool Ready() const { return ready_; }
    // The file the command reads: the argument, or the copy of standard input.
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool copied_ = false;
    bool ready_ = true;
};

}  // namespace tessarin::cli
