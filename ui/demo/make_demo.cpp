// Builds the demo archive for `make run`: several folders, Chinese names in
// code page 936, and type codes taken from the type table ExtType.Dll (plus one
// code the table does not name). Usage: make_demo OUTPUT.arc EXTTYPE.DLL
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/VbError.h"
#include "core/ArcWriter.h"
#include "core/ExtTypes.h"

namespace {

using tessarin::TextToCp936;

constexpr std::int32_t kUnnamedCode = 0x99;  // no row in the table: shown as "未知"

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Deflate(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    if (compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
                 static_cast<uLong>(plain.size())) != Z_OK) {
        throw std::runtime_error("compress failed");
    }
    out.resize(size);
    return out;
}

void PngChunk(std::string& png, const char* type, const std::string& data) {
    const std::uint32_t length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>((length >> shift) & 0xFF));
    std::string body = std::string(type, 4) + data;
    png += body;
    const std::uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>((crc >> shift) & 0xFF));
}

// A small RGB picture: a diagonal gradient with a tile pattern.
std::string MakePng(int size, int hue) {
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    for (int value : {size, size}) {
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    PngChunk(png, "IHDR", header);
    std::string rows;
    for (int y = 0; y < size; ++y) {
        rows.push_back('\0');  // filter: none
        for (int x = 0; x < size; ++x) {
            const bool tile = ((x / 8) + (y / 8)) % 2 == 0;
            rows.push_back(static_cast<char>((hue + x * 4) & 0xFF));
            rows.push_back(static_cast<char>(tile ? 200 : 90));
            rows.push_back(static_cast<char>((255 - y * 4) & 0xFF));
        }
    }
    PngChunk(png, "IDAT", Deflate(rows));
    PngChunk(png, "IEND", "");
    return png;
}

// A quarter second of a sine tone, 16-bit mono PCM.
std::string MakeWav(double frequency) {
    const int rate = 8000;
    const int samples = rate / 4;
    std::string pcm;
    for (int i = 0; i < samples; ++i) {
        const double value = std::sin(2 * std::numbers::pi * frequency * i / rate) * 12000 * (1.0 - double(i) / samples);
        PutLe(pcm, static_cast<std::uint16_t>(static_cast<std::int16_t>(value)), 2);
    }
    std::string wav = "RIFF";
    PutLe(wav, static_cast<std::uint32_t>(36 + pcm.size()), 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);  // PCM
    PutLe(wav, 1, 2);  // mono
    PutLe(wav, rate, 4);
    PutLe(wav, rate * 2, 4);
    PutLe(wav, 2, 2);
    PutLe(wav, 16, 2);
    wav += "data";
    PutLe(wav, static_cast<std::uint32_t>(pcm.size()), 4);
    return wav + pcm;
}

// The code of the first row naming `name` in the type table.
std::int32_t CodeFor(const tessarin::ExtTypeTable& table, const std::string& name, std::int32_t fallback) {
    for (const auto& row : table) {
        if (row.ClassExttype != name) continue;
        if (const auto code = tessarin::ParseTypeCodeHex(row.ClassExtkey)) return *code;
    }
    return fallback;
}

struct DemoEntry {
    std::string name;  // program text; stored in code page 936
    std::int32_t code;
    std::string data;  // plain bytes, stored deflated
};

// Writes the archive with the program's own writer: header and directory, then
// each entry's deflated data in directory order.
void WriteArchive(const std::string& path, const std::vector<DemoEntry>& entries) {
    using namespace tessarin;
    ArcEntryList records;
    std::vector<std::string> stored;
    for (const DemoEntry& e : entries) {
        stored.push_back(Deflate(e.data));
        AddArcEntry(records, "", "", e.name, "", static_cast<std::int32_t>(stored.back().size()),
                    static_cast<std::int32_t>(e.data.size()), 0, TypeCodeHex(e.code));
    }
    std::int64_t offset = WrittenDirectoryEnd(records);
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].ArcFileOFSET = static_cast<std::int32_t>(offset);
        offset += static_cast<std::int64_t>(stored[i].size());
    }
    BinaryFile out = BinaryFile::Open(path, OpenMode::CreateLocked);
    WriteArcHead(out, records);
    for (const std::string& data : stored) out.Write(data.data(), data.size());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::cerr << "usage: make_demo OUTPUT.arc EXTTYPE.DLL\n";
        return 2;
    }
    tessarin::ExtTypeTable table;
    tessarin::LoadExtTypes(table, argv[2]);
    const std::int32_t png = CodeFor(table, "png", 0x1A);
    const std::int32_t txt = CodeFor(table, "txt", 0x20);
    const std::int32_t xml = CodeFor(table, "xml", 0x21);
    const std::int32_t wav = CodeFor(table, "wav", 0x30);
    const std::string readme = TextToCp936("Tessarin 演示资源包。\r\n用“对象”菜单导出或替换其中的文件。\r\n");
    const auto layout = [](const char* name) {
        return std::string("<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<layout name=\"") + name + "\"/>\r\n";
    };
    const std::vector<DemoEntry> entries = {
        {"说明", txt, readme},
        {"界面\\图标\\标志", png, MakePng(32, 40)},
        {"界面\\图标\\按钮_确定", png, MakePng(24, 140)},
        {"界面\\布局\\主菜单", xml, layout("main")},
        {"音效\\点击", wav, MakeWav(880)},
        {"音效\\背景\\森林", wav, MakeWav(220)},
        {"地图\\第一关\\地形", kUnnamedCode, std::string(2048, '\x01')},
        {"地图\\第一关\\配置", xml, layout("level1")},
        {"地图\\第二关\\配置", xml, layout("level2")},
        {"data\\version", txt, "1.1.0\r\n"},
        {"data\\fonts\\readme", txt, "Fonts are not part of the demo.\r\n"},
        {"界面\\图标\\背景", png, MakePng(48, 220)},
    };
    try {
        WriteArchive(argv[1], entries);
    } catch (const tessarin::VbError& error) {
        std::cerr << "make_demo: cannot write " << argv[1] << ": " << error.description() << "\n";
        return 1;
    }
    return 0;
}
