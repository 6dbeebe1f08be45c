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
    std::vector<std::string> writes;  // each followed by a flush
    std::vector<std::string> delivered;
};

TEST(TextStreamBuf, DeliversWholeSequencesOnly) {
    const std::string zhong = "中";  // E4 B8 AD
    const Row rows[] = {
        {"whole text", {"发现 12 个对象"}, {"发现 12 个对象"}},
        {"character cut after its lead byte", {"a" + zhong.substr(0, 1), zhong.substr(1)}, {"a", zhong}},
        {"character cut before its last byte", {zhong.substr(0, 2), zhong.substr(2) + "b"}, {zhong + "b"}},
        {"nothing whole yet", {zhong.substr(0, 1)}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> delivered;
        TextStreamBuf buffer([&](std::string_view text) {
            delivered.emplace_back(text);
            return true;
        });
        std::ostream out(&buffer);
        for (const std::string& write : row.writes) out << write << std::flush;
        EXPECT_EQ(delivered, row.delivered);
    }
}

TEST(TextStreamBuf, LineBreakDeliversWithoutFlushAndRefusalFailsTheStream) {
    std::vector<std::string> delivered;
    bool accept = true;
    TextStreamBuf buffer([&](std::string_view text) {
        delivered.emplace_back(text);
        return accept;
    });
    std::ostream out(&buffer);
    out << "一行\n";
    EXPECT_EQ(delivered, std::vector<std::string>{"一行\n"});
    accept = false;
    out << "再一行" << std::flush;
    EXPECT_TRUE(out.bad());
}

}  // namespace
}  // namespace tessarin::cli
