// What the preview decodes below the window: DDS textures (every block in its
// place), TGA headers that hold together or not, text encodings and line ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef TESSARIN_WITH_DDS
#include "extract/preview/DdsImage.h"
#endif
#include "extract/preview/TextEncoding.h"
#include "extract/preview/TgaHeader.h"

namespace tessarin::testing {
namespace {

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}

#ifdef TESSARIN_WITH_DDS
// A DXT1 texture whose every 4 x 4 block is one colour of its own (colour 0,
// every index 0), and that colour for each block, as 8-bit channels.
struct Texture {
    std::string file;
    std::vector<std::uint32_t> colours;  // 0x00RRGGBB by block, rows of blocks top down
};
Texture DistinctBlocks(int width, int height) {
    Texture t;
    t.file = "DDS " + std::string(124, '\0');
    for (const auto& [at, v] : {std::pair<std::size_t, std::uint32_t>{4, 124}, {8, 0x1007}, {12, height}, {16, width},
                                {76, 32}, {80, 0x4}}) {
        Put32(t.file, at, v);
    }
    t.file.replace(84, 4, "DXT1");
    const int blocks = ((width + 3) / 4) * ((height + 3) / 4);
    for (int i = 0; i < blocks; ++i) {
        const auto c565 = static_cast<std::uint16_t>((i * 40503u + 1234u) & 0xFFFF);
        t.file += std::string{static_cast<char>(c565 & 0xFF), static_cast<char>(c565 >> 8)} + std::string(6, '\0');
        const std::uint32_t r = c565 >> 11, g = (c565 >> 5) & 0x3F, b = c565 & 0x1F;
        t.colours.push_back(((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2));
    }
    return t;
}

// Tall and wide enough to be decoded in two bands, with partial blocks at the edges.
TEST(DdsDecoding, EveryBlockOfATallTextureLandsInItsPlace) {
    const struct { const char* name; int width, height; } rows[] = {
        {"tall, two bands", 8, 600}, {"one band, partial blocks", 10, 13}, {"wide", 300, 260}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Texture t = DistinctBlocks(row.width, row.height);
        const DdsImage image = DecodeDds(Bytes(t.file), t.file.size(), 1 << 24);
        ASSERT_TRUE(image.error.empty()) << image.error;
        const int across = (row.width + 3) / 4;
        int wrong = 0;
        for (int y = 0; y < row.height; ++y) {
            for (int x = 0; x < row.width; ++x) {
                const std::uint8_t* p = image.rgba.get() + (std::size_t(y) * row.width + x) * 4;
                const std::uint32_t want = t.colours[std::size_t(y / 4) * across + x / 4];
                wrong += (std::uint32_t(p[0]) << 16 | p[1] << 8 | p[2]) != want;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}
#endif

TEST(TgaHeader, TellsAHeaderThatHoldsTogetherFromOneThatDoesNot) {
    // A 2 x 1 true-colour 32-bit image; rows below change one thing.
    const std::string good("\0\0\x02\0\0\0\0\0\0\0\0\0\x02\0\x01\0\x20\x28" "\0\0\xff\xff\0\0\xff\xff", 26);
    const std::string footer = std::string(8, '\0') + std::string("TRUEVISION-XFILE.\0", 18);
    // A 2 x 1 colour-mapped image: a map of two 24-bit entries, two 8-bit indices.
    const std::string mapped = std::string("\0\x01\x01\0\0\x02\0\x18\0\0\0\0\x02\0\x01\0\x08\0", 18) + "RGBrgb" + "\x01";
    const auto with = [](std::string s, std::size_t at, char c) { s[at] = c; return s; };
    const struct { const char* name; std::string bytes; bool holds; bool footer; } rows[] = {
        {"true colour", good, true, false},
        {"with footer", good + footer, true, true},
        {"footer pointing outside", good + std::string("\xff\0\0\0\0\0\0\0", 8) + footer.substr(8), false, false},
        {"colour mapped", mapped + std::string(1, '\0'), true, false},
        {"indices cut", mapped, false, false},
        {"colour map of 7-bit entries", with(mapped + std::string(1, '\0'), 7, '\x07'), false, false},
        {"colour map empty", with(with(mapped + std::string(1, '\0'), 5, 0), 6, 0), false, false},
        {"map given without a mapped type", with(good, 1, 1), false, false},
        {"unknown image type", with(good, 2, 4), false, false},
        {"zero width", with(good, 12, 0), false, false},
        {"depth 7", with(good, 16, 7), false, false},
        {"pixels cut", good.substr(0, 25), false, false},
        {"too short for a header", good.substr(0, 17), false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TgaHeader header;
        EXPECT_EQ(ReadTgaHeader(Bytes(row.bytes), row.bytes.size(), header), row.holds);
        EXPECT_EQ(row.holds && header.footer, row.footer);
    }
}

TEST(TextEncoding, DetectsEncodingsAndFindsLineEndsInWholeUnits) {
    const struct { const char* name; std::string bytes; TextEncoding encoding; const char* ends; } rows[] = {
        {"ascii", "a\r\nb\nc", TextEncoding::Utf8, "crlf lf"},
        {"utf-8 cut inside a character", "\xe4\xb8\xad\xe6\x96", TextEncoding::Utf8, ""},
        {"gbk", "\xd6\xd0\xce\xc4\rx", TextEncoding::Cp936, "cr"},
        {"utf-8 surrogate", "a\xed\xa0\x80z", TextEncoding::Cp936, ""},
        {"utf-16le", std::string("\xff\xfe\r\0\n\0", 6), TextEncoding::Utf16Le, "crlf"},
        {"utf-16be", std::string("\xfe\xff\0\n", 4), TextEncoding::Utf16Be, "lf"},
        // A trailing odd byte is no code unit: neither read past nor taken as a line end.
        {"utf-16le odd", "\xff\xfe\x0a", TextEncoding::Utf16Le, ""},
        {"utf-16le odd after cr", std::string("\xff\xfe\r\0\n", 5), TextEncoding::Utf16Le, "cr"},
        {"utf-16be odd", "\xfe\xff\x0a", TextEncoding::Utf16Be, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // An exact-size copy, so a read past the end is a read past the block.
        const std::vector<std::uint8_t> bytes(row.bytes.begin(), row.bytes.end());
        EXPECT_EQ(DetectEncoding(bytes.data(), bytes.size()), row.encoding);
        const LineEndKinds kinds = FindLineEnds(bytes.data(), bytes.size(), row.encoding);
        std::string ends = std::string(kinds.crlf ? "crlf " : "") + (kinds.lf ? "lf " : "") + (kinds.cr ? "cr " : "");
        if (!ends.empty()) ends.pop_back();
        EXPECT_EQ(ends, row.ends);
    }
}

}  // namespace
}  // namespace tessarin::testing
