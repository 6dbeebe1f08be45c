// The fuzzing targets of what the edits parse and write: new keys, the export
// record, and rewrites that drop, rename and append entries.
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/ArcFormat.h"
#include "core/ArcReader.h"
#include "core/ArcWriter.h"
#include "core/EntryNames.h"
#include "core/platform/Cp936.h"
#include "edit/NewKeys.h"
#include "extract/ExportPaths.h"
#include "extract/ExportRecord.h"
#include "fuzz/Support.h"
#include "fuzz/Targets.h"

namespace tessarin::fuzz {

namespace {

// Writes records (with no data) as an archive and reads them back.
ArcEntryList WrittenAndReadBack(const ArcEntryList& records, const ExtTypeTable& types) {
    const std::string path = InputPath() + ".keys";
    std::remove(path.c_str());
    BinaryFile out = BinaryFile::Open(path, OpenMode::CreateNewLocked);
    WriteArcHead(out, records);
    ArcEntryList back;
    ArcReadReceiver ignore;
    out.Seek(0);
    Require(ReadArcDirectory(out, types, back, ignore).status == ArcReadResult::Status::Ok);
    return back;
}

std::string Deflated(const std::string& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string stored(size, '\0');
    Require(compress(reinterpret_cast<Bytef*>(stored.data()), &size, reinterpret_cast<const Bytef*>(plain.data()),
                     static_cast<uLong>(plain.size())) == Z_OK);
    stored.resize(size);
    return stored;
}

}  // namespace

void NewKeyTarget(const std::uint8_t* data, std::size_t size) {
    const std::string key = Cp936ToText(std::string_view(reinterpret_cast<const char*>(data), size));
    const ExtTypeTable types = SmallTable();
    const auto parsed = ParseKeyWithTypes(key, types);
    if (!parsed || !NewNameRefusal(parsed->fullName).empty()) return;
    const ARCFileCls record = NewEntryRecord(parsed->fullName, parsed->code, ExtTypeIndex(types));
    if (!ExportNameRefusal(record).empty()) return;
    // Accepted: the archive written with it gives the same key back, and an export can write it.
    const ArcEntryList back = WrittenAndReadBack({record}, types);
    Require(back.size() == 1 && back[0].ArcFileKey == record.ArcFileKey);
    Require(back[0].ArcFileName == record.ArcFileName && back[0].ArcFilePath == record.ArcFilePath);
    Require(PlaceOf(back[0]).has_value());
}

void ExportRecordTarget(const std::uint8_t* data, std::size_t size) {
    const auto parsed = ParseExportRecord(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed) return;
    // What parses formats to a text that parses to the same record.
    const std::string text = FormatExportRecord(*parsed);
    const auto again = ParseExportRecord(text);
    Require(again.has_value());
    Require(again->archivePath == parsed->archivePath && again->archive == parsed->archive);
    Require(again->files == parsed->files);
    Require(FormatExportRecord(*again) == text);
}

void RewriteTarget(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return;
    const std::uint8_t what = data[0], which = data[1];
    const std::string& archivePath = WriteInput(data + 2, size - 2);
    const std::string newPath = InputPath() + ".new";
    std::remove(newPath.c_str());
    BinaryFile old = BinaryFile::Open(archivePath, OpenMode::ReadLocked);
    ArcEntryList entries;
    ArcReadReceiver ignore;
    const ExtTypeTable types = SmallTable();
    if (ReadArcDirectory(old, types, entries, ignore).status != ArcReadResult::Status::Ok) return;
    if (!FindLayoutProblems(entries, old.Length()).empty()) return;  // a rewrite refuses these

    // Bit 0 drops one entry, bit 1 renames another, bit 2 appends a new one.
    RewritePlan plan;
    const std::size_t n = entries.size();
    const std::size_t dropped = n ? which % n : 0, renamed = n ? (which / 2 + 1) % n : 0;
    if ((what & 1) && n) plan.dropped.push_back(dropped);
    const ARCFileCls newName = NewEntryRecord("改名\\r" + std::to_string(renamed), 0x20, ExtTypeIndex(types));
    if ((what & 2) && n && !((what & 1) && renamed == dropped)) plan.renamed.emplace_back(renamed, newName);
    const std::string plain(what, 'a'), stored = Deflated(plain);
    if (what & 4)
        plan.appended.push_back({NewEntryRecord("新\\n", 0x1A, ExtTypeIndex(types)), [&](BinaryFile& out) {
                                     out.Write(stored.data(), stored.size());
                                     return static_cast<std::int32_t>(plain.size());
                                 }});
    BinaryFile out = BinaryFile::Open(newPath, OpenMode::CreateNewLocked);
    try {
        WriteRewrittenArchive(&old, entries, plan, out);
    } catch (const RewriteOutOfRange&) {
        return;  // refused with its own message
    }

    // Read back: the kept entries in order with their stored bytes, the renamed one
    // under its new key, the appended one last with its data.
    ArcEntryList back;
    Require(ReadArcDirectory(out, types, back, ignore).status == ArcReadResult::Status::Ok);
    Require(FindLayoutProblems(back, out.Length()).empty());
    Require(back.size() == n - plan.dropped.size() + plan.appended.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!plan.dropped.empty() && plan.dropped[0] == i) continue;
        const bool isRenamed = !plan.renamed.empty() && plan.renamed[0].first == i;
        Require(back[at].ArcFileKey == (isRenamed ? newName.ArcFileKey : entries[i].ArcFileKey));
        Require(back[at].ArcFileOrgSize == entries[i].ArcFileOrgSize);
        Require(ReadAt(out, back[at].ArcFileOFSET, back[at].ArcFileZipSize) ==
                ReadAt(old, entries[i].ArcFileOFSET, entries[i].ArcFileZipSize));
        ++at;
    }
    if (what & 4) {
        const ARCFileCls& added = back.back();
        Require(added.ArcFileKey == "新\\n.1A" && added.ArcFileOrgSize == static_cast<std::int32_t>(plain.size()));
        const auto bytes = ReadAt(out, added.ArcFileOFSET, added.ArcFileZipSize);
        Require(std::string(bytes.begin(), bytes.end()) == stored);
    }
}

}  // namespace tessarin::fuzz
