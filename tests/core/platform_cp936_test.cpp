// Code page 936 <-> program text: known characters, invalid bytes, and the
// round trip that keeps every archive name byte-identical.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/platform/Cp936.h"

namespace tessarin {
namespace {

using namespace std::string_literals;
using ::testing::PrintToString;

// The program-text form of an escaped byte: U+DC00 + b, as UTF-8 ED B0|(b >> 6) 80|(b & 3F).
std::string Esc(unsigned char b) {
    return {'\xED', static_cast<char>(0xB0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
}

// A name in two forms that must convert into each other both ways, or text that
// only converts to bytes (what cannot be encoded is marked "?").
struct TwoForms {
    std::string bytes;
    std::string text;
    bool bothWays = true;
};

void ExpectConversions(const std::vector<TwoForms>& cases, std::string (*toText)(std::string_view),
                    std::string (*toBytes)(std::string_view)) {
    for (const auto& c : cases) {
        if (c.bothWays) {
            EXPECT_EQ(toText(c.bytes), c.text) << PrintToString(c.bytes);
        }
        EXPECT_EQ(toBytes(c.text), c.bytes) << PrintToString(c.text);
    }
}

TEST(Cp936Test, KnownFormsInvalidBytesCountsAndNativeNames) {
    ExpectConversions({
        {"gfx\\\xC4\xE3\xBA\xC3", "gfx\\你好"},
        {"a\0b"s, "a\0b"s},
        {"\x80\xFF", Esc(0x80) + Esc(0xFF)},
        {"a\x81", "a" + Esc(0x81)},  // lone lead byte at the end
        {"\xC4?", Esc(0xC4) + "?"},  // trail below, inside and above the trail range
        {"\xC4\x7F", Esc(0xC4) + "\x7F"},
        {"\xC4\xFF", Esc(0xC4) + Esc(0xFF)},
        {"\xC4\x20\xC4\xE3", Esc(0xC4) + " 你"},  // a bad trail starts the next pair
        {"\xC4\xE3\xE3", "你" + Esc(0xE3)},
        {"a?b", "a\u0E01b", false},    // outside the code page
        {"?", "\U0001F600", false},    // outside the basic plane
        {"a?", "a\xC3", false},        // truncated UTF-8
        {"?", "\xED\xA0\x80", false},  // a surrogate that is no escaped byte
        {"?", "\xED\xB1\x81", false},  // the escape of an ASCII byte is not used
    }, Cp936ToText, TextToCp936);
    // A double-byte character counts once.
    const std::pair<std::string, std::size_t> counts[] = {
        {"a\xC4\xE3z", 3}, {"a\x81", 2}, {"\x81\0"s, 1}, {"\x80\xFF", 2}, {"\xFE\xFE\xFE", 2}};
    for (const auto& [bytes, count] : counts) EXPECT_EQ(Cp936CharCount(bytes), count) << PrintToString(bytes);
    // UTF-16 carries escaped bytes as lone surrogates.
    EXPECT_EQ(TextToUtf16(Cp936ToText("\xC4\xE3\x80")), (std::u16string{u'你', char16_t(0xDC80)}));
    EXPECT_EQ(TextToUtf16("\U0001F600"), u"\U0001F600");
    EXPECT_EQ(Utf16ToText(u"\U0001F600"), "\U0001F600");
    // POSIX names are bytes: escaped bytes become raw bytes again. Windows names
    // are UTF-16, so there the native form is the program's text itself.
    ExpectConversions({
        {"out/你好.bin", "out/你好.bin"},
#ifdef _WIN32
        {Esc(0xC4) + ".bin", Esc(0xC4) + ".bin"},
#else
        {"\xC4\xE3.bin", Esc(0xC4) + Esc(0xE3) + ".bin"},
        {"\xED\xB2\x80", Esc(0xED) + Esc(0xB2) + Esc(0x80)},  // an encoded surrogate is no UTF-8
        {"\xC0\x80", Esc(0xC0) + Esc(0x80)},                  // overlong
        {"\xF4\x90\x80\x80", Esc(0xF4) + Esc(0x90) + Esc(0x80) + Esc(0x80)},  // beyond U+10FFFF
#endif
    }, NativeToText, TextToNative);
}

// Bytes as an archive name survive bytes -> text (-> UTF-16 -> text) -> bytes;
// as a native name they become text that survives the trip to the native form
// and back (on POSIX, back to the very same bytes).
void ExpectRoundTrip(const std::string& bytes) {
    const std::string text = Cp936ToText(bytes);
    ASSERT_EQ(TextToCp936(text), bytes);
    ASSERT_EQ(Utf16ToText(TextToUtf16(text)), text) << "bytes " << PrintToString(bytes);
    const std::string name = NativeToText(bytes);
    ASSERT_EQ(NativeToText(TextToNative(name)), name) << "native " << PrintToString(bytes);
#ifndef _WIN32
    ASSERT_EQ(TextToNative(name), bytes);
#endif
}

// Every single byte, every pair led by a high byte and random high-byte strings round-trip.
// The valid pairs and what they decode to are pinned by a digest, so every
// system converts them exactly alike.
TEST(Cp936Test, EveryByteStringRoundTrips) {
    std::uint64_t digest = 14695981039346656037ull;  // FNV-1a over each valid pair and its text
    for (int a = 0; a < 256; ++a) {
        ExpectRoundTrip(std::string(1, static_cast<char>(a)));
        for (int b = 0; a >= 0x80 && b < 256; ++b) {
            const std::string pair = {static_cast<char>(a), static_cast<char>(b)};
            ExpectRoundTrip(pair);
            const std::string text = Cp936ToText(pair);
            if (text.size() > 3 || text.rfind("\xED\xB2", 0) == 0 || text.rfind("\xED\xB3", 0) == 0) continue;
            for (char c : pair + text) digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
    }
    EXPECT_EQ(digest, 0x79b11572df1fb77cull) << std::hex << digest;
    std::mt19937 rng(936);
    std::uniform_int_distribution<int> byte(0x60, 0xFF);
    for (int i = 0; i < 500 && !HasFailure(); ++i) {
        std::string bytes(static_cast<std::size_t>(i % 40), '\0');
        for (char& c : bytes) c = static_cast<char>(byte(rng));
        ExpectRoundTrip(bytes);
    }
}

}  // namespace
}  // namespace tessarin
