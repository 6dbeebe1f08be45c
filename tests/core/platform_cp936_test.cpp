// Code page 936 <-> program text: known characters, invalid bytes, and the
// round trip that keeps every archive name byte-identical.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/platform/Cp936.h"

namespace tessarin {
namespace {

using namespace std::string_literals;

// The program-text form of an escaped byte: U+DC00 + b as a three-byte sequence.
std::string Esc(unsigned char b) {
    const char32_t cp = 0xDC00 + b;
    return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
            static_cast<char>(0x80 | (cp & 0x3F))};
}

std::string Hex(std::string_view s) {
    std::string out;
    char buf[4];
    for (unsigned char c : s) out += (std::snprintf(buf, sizeof buf, "%02X ", c), buf);
    return out;
}

// A name in two forms that must convert into each other both ways.
struct TwoForms {
    const char* what;
    std::string bytes;
    std::string text;
};

void ExpectBothWays(const std::vector<TwoForms>& cases, std::string (*toText)(std::string_view),
                    std::string (*toBytes)(std::string_view)) {
    for (const auto& c : cases) {
        EXPECT_EQ(Hex(toText(c.bytes)), Hex(c.text)) << c.what;
        EXPECT_EQ(Hex(toBytes(c.text)), Hex(c.bytes)) << c.what;
    }
}

TEST(Cp936Test, DecodesKnownBytesAndEscapesInvalidOnes) {
    ExpectBothWays({
        {"empty", "", ""},
        {"ASCII path with backslash", "ui\\logo", "ui\\logo"},
        {"backslash stays a backslash", "\x5C", "\\"},
        {"two Chinese characters", "\xC4\xE3\xBA\xC3", "你好"},
        {"GB2312 first character", "\xB0\xA1", "啊"},
        {"ideographic space", "\xA1\xA1", "\u3000"},
        {"GBK extension, lowest pair", "\x81\x40", "丂"},
        {"mixed with a folder", "gfx\\\xC4\xE3", "gfx\\你"},
        {"zero bytes are kept", "a\0b"s, "a\0b"s},
        {"0x80 alone", "\x80", Esc(0x80)},
        {"0xFF alone", "\xFF", Esc(0xFF)},
        {"lone lead byte at the end", "a\x81", "a" + Esc(0x81)},
        {"lead then zero byte", "\x81\0"s, Esc(0x81) + "\0"s},
        {"lead then 0x7F", "\xC4\x7F", Esc(0xC4) + "\x7F"},
        {"lead then 0xFF", "\xC4\xFF", Esc(0xC4) + Esc(0xFF)},
        {"lead then ASCII below the trail range", "\xC4?", Esc(0xC4) + "?"},
        {"invalid byte, then a valid pair", "\xFF\xC4\xE3", Esc(0xFF) + "你"},
        {"bad trail starts the next pair", "\xC4\x20\xC4\xE3", Esc(0xC4) + " 你"},
        {"pairs are taken greedily", "\xC4\xE3\xE3", "你" + Esc(0xE3)},
    }, Cp936ToText, TextToCp936);
}

// Every byte string must survive bytes -> text -> bytes unchanged.
void ExpectRoundTrip(const std::string& bytes) {
    const std::string text = Cp936ToText(bytes);
    ASSERT_EQ(Hex(TextToCp936(text)), Hex(bytes));
    // The window toolkit's UTF-16 must carry the same text back.
    ASSERT_EQ(Hex(Utf16ToText(TextToUtf16(text))), Hex(text)) << "bytes " << Hex(bytes);
}

// Every single byte, every pair led by a high byte and random high-byte strings survive
// bytes -> text -> bytes unchanged (which also makes decoding one-to-one).
TEST(Cp936Test, EveryByteStringRoundTrips) {
    for (int a = 0; a < 256; ++a) {
        ExpectRoundTrip(std::string(1, static_cast<char>(a)));
        for (int b = 0; a >= 0x80 && b < 256; ++b) ExpectRoundTrip({static_cast<char>(a), static_cast<char>(b)});
    }
    std::mt19937 rng(936);
    std::uniform_int_distribution<int> length(0, 80), byte(0, 255), high(0x80, 0xFF);
    for (int i = 0; i < 4000 && !HasFailure(); ++i) {
        std::string bytes(static_cast<std::size_t>(length(rng)), '\0');
        // Mostly high bytes, so lead/trail combinations of every kind occur.
        for (char& c : bytes) c = static_cast<char>(i % 4 == 0 ? byte(rng) : high(rng));
        ExpectRoundTrip(bytes);
    }
}

TEST(Cp936Test, EncodesWhatItCanAndMarksTheRest) {
    const TwoForms cases[] = {
        {"Chinese", "\xD7\xCA\xD4\xB4\xCE\xC4\xBC\xFE", "资源文件"},
        {"character outside the code page", "a?b", "a\u0E01b"},
        {"character outside the basic plane", "?", "\U0001F600"},
        {"truncated UTF-8", "a?", "a\xC3"},
        {"stray continuation bytes", "??", "\x80\x80"},
        {"overlong slash", "??", "\xC0\xAF"},
        {"surrogate that is no escaped byte", "?", "\xED\xA0\x80"},
        {"escape for an ASCII byte is not used", "?", "\xED\xB1\x81"},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(TextToCp936(c.text)), Hex(c.bytes)) << c.what;
}

TEST(Cp936Test, Utf16CarriesEscapedBytesAsLoneSurrogates) {
    const std::string text = Cp936ToText("\xC4\xE3\x80");
    EXPECT_EQ(TextToUtf16(text), (std::u16string{u'你', char16_t(0xDC80)}));
    EXPECT_EQ(TextToUtf16("\U0001F600"), u"\U0001F600");
    EXPECT_EQ(Utf16ToText(u"\U0001F600"), "\U0001F600");
    // A lone surrogate from the toolkit still becomes the byte it stands for.
    EXPECT_EQ(Hex(TextToCp936(Utf16ToText(std::u16string{char16_t(0xDCFF)}))), Hex("\xFF"));
}

TEST(Cp936Test, NativeNamesKeepUtf8AndRestoreRawBytes) {
    ExpectBothWays({
        {"UTF-8 name", "out/你好.bin", "out/你好.bin"},
        {"code page 936 bytes on disk", "\xC4\xE3.bin", Esc(0xC4) + Esc(0xE3) + ".bin"},
        {"truncated sequence", "a\xE4\xBD", "a" + Esc(0xE4) + Esc(0xBD)},
        {"encoded surrogate is not UTF-8", "\xED\xB2\x80", Esc(0xED) + Esc(0xB2) + Esc(0x80)},
        {"overlong", "\xC0\x80", Esc(0xC0) + Esc(0x80)},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", Esc(0xF4) + Esc(0x90) + Esc(0x80) + Esc(0x80)},
    }, NativeToText, TextToNative);
    // An archive name with invalid bytes becomes those very bytes in a file name.
    EXPECT_EQ(Hex(TextToNative(Cp936ToText("\x80x\xFF"))), Hex("\x80x\xFF"));

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 2000; ++i) {
        std::string native(static_cast<std::size_t>(i % 24), '\0');
        for (char& c : native) c = static_cast<char>(byte(rng));
        ASSERT_EQ(Hex(TextToNative(NativeToText(native))), Hex(native));
    }
}

TEST(Cp936Test, CountsADoubleByteCharacterOnce) {
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0},
        {"ui\\logo", 7},
        {"\xC4\xE3\xBA\xC3", 2},
        {"a\xC4\xE3z", 3},
        {"a\x81", 2},         // a lead byte as the last byte is one character
        {"\x81\0"s, 1},       // the byte after a lead byte belongs to it, whatever it is
        {"\x80\xFF", 2},      // neither is a lead byte
        {"\xFE\xFE\xFE", 2},
    };
    for (const auto& [bytes, count] : cases) EXPECT_EQ(Cp936CharCount(bytes), count) << Hex(bytes);
}

}  // namespace
}  // namespace tessarin
