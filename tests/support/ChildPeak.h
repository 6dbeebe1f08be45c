#pragma once
// Runs a piece of work in a child process and measures the resident memory it
// adds at its peak. Every allocation counts, whoever makes it (operator new,
// aligned_alloc, zlib's malloc, thread stacks), as a user's process would
// count it. Linux only: it reads the child's own /proc/self/status.
#ifndef _WIN32
#include <functional>

namespace tessarin::testing {

struct ChildPeak {
    bool ran = false;   // the child ran the work to its end and reported
    int result = -1;    // what the work returned
    long addedKiB = 0;  // peak resident memory above what the child started with
};

ChildPeak RunMeasuredInChild(const std::function<int()>& work);

}  // namespace tessarin::testing
#endif
