#include "fuzz/Targets.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <algorithm>
#include <string>

#include "cli/Listing.h"
#include "core/ArcReader.h"
#include "core/ArcState.h"
#include "core/ArcWriter.h"
#include "types/ExtTypes.h"

namespace tessarin::fuzz {

namespace {

// One file per process that each input overwrites.
const std::string& InputPath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp ? tmp : "/tmp") + "/tessarin-fuzz-" + std::to_string(::getpid()) + ".bin";
    }();
    return path;
}

const std::string& WriteInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(InputPath().c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    return InputPath();
}

void Require(bool condition) {
    if (!condition) std::abort();
}

ExtTypeTable SmallTable() {
    ExtTypeTable types;
    AddExtType(types, "1A", "png");
    AddExtType(types, "20", "t\"x\\t");
    return types;
}

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
        Require(index.Name(types[i].ClassExtkey) == types[first].ClassExttype);
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

}  // namespace tessarin::fuzz
