#pragma once
// Writing an exported file: the one place that creates files for the exports.
// Each file is written to a new temporary beside its name and renamed over it
// once whole, relative to a folder held open, so a link in the way is replaced
// and never written through. In a folder the export owns (see
// ExportAllEntriesIntoNewFolder) a file is made under its own name instead,
// where nothing is yet; anything there takes the temporary's way.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/Messages.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"

namespace tessarin {

// The bytes of one file being exported, in order.
class OutputFile : public ByteSink {
public:
    explicit OutputFile(FolderFile& file) : file_(file) {}
    void Put(const std::uint8_t* bytes, std::size_t n) override;
    // Appends n zero bytes, in blocks.
    void PutZeros(std::int64_t n);

private:
    FolderFile& file_;
};

// Writes the file name in folder: fill puts its bytes and returns true, or
// returns false after showing its own message to give the file up. The file
// replaces what was at name only once whole; a failed or abandoned one leaves
// no trace. A file-system failure shows a stop message naming displayPath.
// True when the file was written. owned: folder is one the export owns.
// stamp, when given, receives the written file's stamp where the system tells
// it at once (see FolderFile::CommittedStamp).
bool WriteOutputFile(MessageSink& messages, const SafeFolder& folder, const std::string& name,
                     const std::string& displayPath, const std::function<bool(OutputFile&)>& fill,
                     bool owned = false, std::optional<FileStamp>* stamp = nullptr);

// The message for a file that could not be written.
void ShowWriteFailure(MessageSink& messages, const std::string& displayPath, const VbError& error);

}  // namespace tessarin
