#include "fuzz/Targets.h"
#include "fuzz/Support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <algorithm>
#include <string>

#include <cstring>
#include <filesystem>
#include <vector>

#include "cli/Listing.h"
#include "core/ArcFormat.h"
#include "core/ArcReader.h"
#include "core/ArcState.h"
#include "core/ArcWriter.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "extract/Codec.h"
#include "extract/ExportPaths.h"
#include "replace/Import.h"
#include "replace/StreamDeflate.h"
#include "core/ExtTypes.h"

namespace tessarin::fuzz {

namespace {

// Valid JSON, byte escapes included: they are lone surrogates, which the
// listing promises and the library only takes in pairs, so they are checked as
// plain escapes.
bool AcceptsJson(std::string document) {
    for (std::size_t at = 0; (at = document.find("\\udc", at)) != std::string::npos;) {
        // Only an escape: a backslash before it that is itself escaped is text.
        std::size_t slashes = 0;
        while (at > slashes && document[at - 1 - slashes] == '\\') ++slashes;
        if (slashes % 2 == 0) document.replace(at, 4, "\\u00");
        at += 4;
    }
    return nlohmann::json::accept(document);
}

}  // namespace

void ReaderTarget(const std::uint8_t* data, std::size_t size) {
    ArcEntryList entries;
    ArcReadReceiver ignore;
    const ArcReadResult result = ReadArcFile(WriteInput(data, size), SmallTable(), entries, ignore);
    Require(entries.size() <= 32767);
    if (result.status == ArcReadResult::Status::Ok) Require(static_cast<int>(entries.size()) == std::max<int>(result.count, 0));
    for (const ARCFileCls& e : entries) Require(e.ArcFileKey == FullNameOfKey(e.ArcFileKey) + "." + e.ArcFileTypeHex);
    FindLayoutProblems(entries, static_cast<std::int64_t>(size));
}

void TypeTableTarget(const std::uint8_t* data, std::size_t size) {
    ExtTypeTable types;
    LoadExtTypes(types, WriteInput(data, size));
    // Every code names the type of its first row.
    const ExtTypeIndex index(types);
    for (std::size_t i = 0; i < types.size(); ++i) {
        std::size_t first = 0;
        while (types[first].ClassExtkey != types[i].ClassExtkey) ++first;
        Require(index.LookupExtType(types[i].ClassExtkey) == types[first].ClassExttype);
    }
}

void ListingTarget(const std::uint8_t* data, std::size_t size) {
    // The bytes as text, escaped: always a valid JSON string.
    std::string text;
    cli::AppendJsonString(text, std::string_view(reinterpret_cast<const char*>(data), size));
    Require(AcceptsJson(text));
    // The whole listing of the bytes as an archive.
    cli::OutputBuffer out(nullptr);
    cli::WriteListing(WriteInput(data, size), SmallTable(), true, out);
    Require(AcceptsJson(out.Text()));
}

void CodecTarget(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return;
    std::int32_t recorded;
    std::memcpy(&recorded, data, 4);
    recorded &= 0x00FFFFFF;  // up to 16 MiB: above the whole-entry limit, still quick
    const std::uint8_t* stored = data + 4;
    const std::size_t storedSize = size - 4;

    MemorySource source(stored, storedSize);
    Collect streamed(recorded);
    const InflateResult stream = InflateStream(source, static_cast<std::int64_t>(storedSize), recorded, streamed);
    Require(stream.produced >= 0 && stream.produced <= recorded);
    Require(!stream.ok() || static_cast<std::int64_t>(streamed.Bytes().size()) == stream.produced);
    if (recorded > kWholeEntryLimit) return;
    std::vector<std::uint8_t> plain(static_cast<std::size_t>(recorded) + 1);
    for (const bool fast : {true, false}) {
        SetFastInflate(fast);
        WholeInflater inflater;
        const InflateResult whole = inflater.Inflate(stored, storedSize, plain.data(), recorded);
        Require(whole.code == stream.code);
        if (whole.ok()) {
            Require(whole.produced == stream.produced);
            Require(std::equal(streamed.Bytes().begin(), streamed.Bytes().end(), plain.begin()));
        }
    }
    SetFastInflate(true);
}

void ExportPathTarget(const std::uint8_t* data, std::size_t size) {
    const std::string fullName = Cp936ToText(std::string_view(reinterpret_cast<const char*>(data), size));
    ARCFileCls entry;
    entry.ArcFilePath = FolderPathOf(fullName);
    entry.ArcFileName = BaseNameOf(fullName) + ".png";
    const std::optional<EntryPlace> place = PlaceOf(entry);
    Require(ExportedFileOf(entry).empty() == !place);
    if (!place) return;
    // Each part one plain name; joined below a folder they stay below it, as deep as they are many.
    const std::filesystem::path root("root");
    std::filesystem::path joined = root;
    std::vector<std::string> parts = place->folders;
    parts.push_back(place->name);
    for (const std::string& part : parts) {
        const std::string native = TextToNative(part);
        Require(!native.empty() && native != "." && native != "..");
        Require(native.find_first_of(std::string("/\\:\0", 4)) == std::string::npos);
        joined /= std::filesystem::path(native);
    }
    const std::filesystem::path normal = joined.lexically_normal();
    Require(std::distance(normal.begin(), normal.end()) == static_cast<std::ptrdiff_t>(parts.size()) + 1);
    Require(*normal.begin() == root);
}

void ReplaceTarget(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return;
    const std::size_t length = std::min<std::size_t>(data[1] | (data[2] << 8), size - 3);
    const std::uint8_t* replacement = data + 3;
    const std::string& archivePath = WriteInput(replacement + length, size - 3 - length);
    const std::string sourcePath = InputPath() + ".source", newPath = InputPath() + ".new";
    WriteInput(replacement, length, sourcePath);
    std::remove(newPath.c_str());

    BinaryFile old = BinaryFile::Open(archivePath, OpenMode::ReadLocked);
    ArcEntryList entries;
    ArcReadReceiver ignore;
    const ExtTypeTable types;
    if (ReadArcDirectory(old, types, entries, ignore).status != ArcReadResult::Status::Ok || entries.empty()) return;
    if (!FindLayoutProblems(entries, old.Length()).empty()) return;  // the replacement refuses these
    const std::size_t target = data[0] % entries.size();

    BinaryFile out = BinaryFile::Open(newPath, OpenMode::CreateNewLocked);
    BinaryFile source = BinaryFile::Open(sourcePath, OpenMode::ReadLocked);
    NewEntryData change;
    change.index = target;
    change.write = [&](BinaryFile& to) {
        return static_cast<std::int32_t>(DeflateFileInto(source, to, kOrgSizeBias - 1).plain);
    };
    ArcEntryList written;
    try {
        written = WriteRewrittenArchive(old, entries, {change}, out);
    } catch (const RewriteOutOfRange&) {
        return;  // refused with its own message
    }

    // Read back: the same entries, the new data in the target, every other entry's bytes as they were.
    ArcEntryList back;
    Require(ReadArcDirectory(out, types, back, ignore).status == ArcReadResult::Status::Ok);
    Require(back.size() == entries.size());
    Require(FindLayoutProblems(back, out.Length()).empty());
    for (std::size_t i = 0; i < back.size(); ++i) {
        Require(back[i].ArcFileKey == entries[i].ArcFileKey);
        Require(back[i].ArcFileOFSET == written[i].ArcFileOFSET && back[i].ArcFileZipSize == written[i].ArcFileZipSize);
        const std::vector<std::uint8_t> now = ReadAt(out, back[i].ArcFileOFSET, back[i].ArcFileZipSize);
        if (i != target) {
            Require(back[i].ArcFileOrgSize == entries[i].ArcFileOrgSize);
            Require(now == ReadAt(old, entries[i].ArcFileOFSET, entries[i].ArcFileZipSize));
            continue;
        }
        Require(back[i].ArcFileOrgSize == static_cast<std::int32_t>(length));
        MemorySource stored(now.data(), now.size());
        Collect plain(static_cast<std::int64_t>(length));
        const InflateResult result = InflateStream(stored, static_cast<std::int64_t>(now.size()),
                                                   static_cast<std::int32_t>(length), plain);
        Require(result.ok() && plain.Bytes() == std::vector<std::uint8_t>(replacement, replacement + length));
    }
}

}  // namespace tessarin::fuzz
