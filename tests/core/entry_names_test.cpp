// The names a new or renamed entry may take: each accepted name is written into
// a record and must read back unchanged; each refused one says why.
#include <gtest/gtest.h>

#include <string>

#include "core/ArcFormat.h"
#include "core/ArcWriter.h"
#include "core/EntryNames.h"
#include "core/platform/Cp936.h"
#include "support/ArcBuilder.h"

namespace tessarin {
namespace {

using testing::Repeat;

TEST(EntryNamesTest, AcceptedNamesReadBackAndOthersAreRefused) {
    const std::string loneLead = Cp936ToText("\xD6");  // a lead byte with no trail, kept as an escape
    const struct {
        const char* label;
        std::string name;
        const char* refusal;  // part of the refusal, or nullptr when accepted
    } rows[] = {
        {"63 ASCII characters", Repeat("a", 63), nullptr},
        {"40 double-byte characters (80 bytes)", Repeat("中", 40), nullptr},
        {"63 characters mixing both", Repeat("中", 31) + Repeat("b", 32), nullptr},
        {"64 characters", Repeat("a", 64), "超过 63 个字符"},
        {"64 double-byte characters", Repeat("中", 64), "超过 63 个字符"},
        {"folders", "文本\\界面\\a", nullptr},
        {"an empty part", "a\\\\b", "空的部分"},
        {"a trailing separator", "a\\", "空的部分"},
        {"a lone lead byte at the end", "a" + loneLead, "读回时会变成另一个名称"},
        {"a lone lead byte before a separator", "a" + loneLead + "\\b", "名称"},
        {"a lone lead byte before a dot-free end of a folder", loneLead + "\\" + loneLead + "x", "名称"},
        {"a character code page 936 lacks", "a\xF0\x9F\x98\x80", "代码页 936 无法表示"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string refusal = NewNameRefusal(row.name);
        if (!row.refusal) {
            EXPECT_EQ(refusal, "");
            const auto field = NameFieldBytes(row.name);
            ASSERT_TRUE(field.has_value());
            EXPECT_EQ(Cp936ToText(DropZeroCharacters(*field)), row.name);
        } else {
            EXPECT_NE(refusal.find(row.refusal), std::string::npos) << refusal;
        }
    }
}

}  // namespace
}  // namespace tessarin
