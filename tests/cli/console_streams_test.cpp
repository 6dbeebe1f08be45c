// The stream buffer that carries std::cout and std::cerr to a Windows console:
// it hands over whole UTF-8 sequences only, at line breaks and flushes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "cli/ConsoleStreams.h"

namespace tessarin::cli {
namespace {

struct Row {
    const char* name;
    std::vector<std::string> writes;
    std::vector<std::string> delivered;
    bool flush = true;   // each write followed by a flush
    bool accept = true;  // what the console answers each delivery
};

// A line break delivers without a flush; a refused delivery fails the stream.
TEST(TextStreamBuf, DeliversWholeSequencesOnly) {
    const std::string zhong = "中";  // E4 B8 AD
    const Row rows[] = {
        {"whole text", {"发现 12 个对象"}, {"发现 12 个对象"}},
        {"character cut after its lead byte", {"a" + zhong.substr(0, 1), zhong.substr(1)}, {"a", zhong}},
        {"character cut before its last byte", {zhong.substr(0, 2), zhong.substr(2) + "b"}, {zhong + "b"}},
        {"nothing whole yet", {zhong.substr(0, 1)}, {}},
        {"a line break, no flush", {"一行\n", "再"}, {"一行\n"}, false},
        {"delivery refused", {"再一行"}, {"再一行"}, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> delivered;
        TextStreamBuf buffer([&](std::string_view text) {
            delivered.emplace_back(text);
            return row.accept;
        });
        std::ostream out(&buffer);
        for (const std::string& write : row.writes) row.flush ? out << write << std::flush : out << write;
        EXPECT_EQ(delivered, row.delivered);
        EXPECT_EQ(out.bad(), !row.accept);
    }
}

}  // namespace
}  // namespace tessarin::cli
