// The table of message texts: both languages for every message, the same
// placeholders in both, the language a locale asks for, and the causes of a
// failure in words (a refused permission is never "in use").
#include <gtest/gtest.h>

#include <set>

#include "core/MessageTable.h"
#include "core/MessageTexts.h"

namespace tessarin {
namespace {

std::multiset<std::string> Placeholders(const std::string& text) {
    std::multiset<std::string> found;
    for (std::size_t at = 0; (at = text.find('{', at)) != std::string::npos; ++at) found.insert(text.substr(at, 3));
    return found;
}

bool HasNonAscii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return true;
    return false;
}

TEST(MessageTableTest, EveryMessageInBothLanguages) {
    for (int i = 0; i < static_cast<int>(Msg::Count); ++i) {
        const MessageText& row = MessageTable()[i];
        SCOPED_TRACE(row.english);
        EXPECT_EQ(static_cast<int>(row.id), i);
        EXPECT_TRUE(HasNonAscii(row.chinese)) << "no Chinese text: " << row.chinese;
        EXPECT_FALSE(std::string(row.english).empty());
        EXPECT_FALSE(HasNonAscii(row.english)) << "not English: " << row.english;
        EXPECT_EQ(Placeholders(row.chinese), Placeholders(row.english));
    }
}

struct LanguageGuard {
    ~LanguageGuard() { SetMessageLanguage(Language::Chinese); }
};

TEST(MessageTableTest, LanguageFollowsTheLocaleAndTextsFollowTheLanguage) {
    const struct {
        const char *all, *messages, *lang;
        Language expected;
    } rows[] = {
        {nullptr, nullptr, nullptr, Language::Chinese},  {nullptr, nullptr, "en_US.UTF-8", Language::English},
        {"", "", "en_GB", Language::English},            {nullptr, "zh_CN.UTF-8", "en_US", Language::Chinese},
        {"en_US.UTF-8", "zh_CN", "zh_CN", Language::English}, {"C", nullptr, "en_US", Language::Chinese},
        {nullptr, nullptr, "enx_XX", Language::Chinese},
    };
    const auto text = [](const char* value) { return value ? "\"" + std::string(value) + "\"" : std::string("unset"); };
    for (const auto& row : rows) {
        EXPECT_EQ(LanguageFromLocale(row.all, row.messages, row.lang), row.expected)
            << "LC_ALL " << text(row.all) << ", LC_MESSAGES " << text(row.messages) << ", LANG " << text(row.lang);
    }

    LanguageGuard guard;
    EXPECT_EQ(Say(Msg::VerifyProblems, {"3", "2"}), "共 3 个条目，发现 2 处问题。");
    EXPECT_EQ(Translated("替换完成。"), "替换完成。");
    SetMessageLanguage(Language::English);
    EXPECT_EQ(Say(Msg::VerifyProblems, {"3", "2"}), "3 entries, 2 problems found.");
    EXPECT_EQ(Translated("替换完成。"), "Replaced.");
    EXPECT_EQ(Translated("一个没有译文的消息"), "一个没有译文的消息");
    EXPECT_EQ(Translated("档案中已有这个条目，KEY：a\\b.1A"), "The archive already has this entry, KEY: a\\b.1A");
    EXPECT_EQ(Translated("无法读取档案：\r\nx.arc"), "Cannot read the archive: \r\nx.arc");
}

// Causes in words; a permission failure and a file in use are told apart, in
// the window's texts as in the companion's.
TEST(MessageTableTest, CausesInWords) {
    const std::string denied = VbErrorDescription(vberr::PermissionDenied);
    EXPECT_EQ(CauseText(vberr::FileNotFound, "x"), "不存在（错误 53）");
    EXPECT_EQ(CauseText(vberr::PermissionDenied, denied), "权限不足（错误 70）");
    EXPECT_EQ(CauseText(vberr::PermissionDenied, kInUseDescription), "已被另一个程序打开（错误 70）");
    EXPECT_EQ(CauseText(vberr::DiskFull, "x"), "磁盘已满（错误 61）");
    EXPECT_EQ(CauseText(5, "无效的过程调用或参数"), "无效的过程调用或参数（错误 5）");
    EXPECT_EQ(AccessRefusedText("a.arc", denied).find("占用"), std::string::npos);
    EXPECT_NE(AccessRefusedText("a.arc", kInUseDescription).find("占用"), std::string::npos);
}

}  // namespace
}  // namespace tessarin
