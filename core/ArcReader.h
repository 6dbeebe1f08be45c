#pragma once
// The window-free reading steps of opening an archive: magic, header and the
// directory loop. Each step is announced to a receiver, which the window side
// uses for its effects (tree, progress, status texts).
#include <cstdint>
#include <string>

#include "core/ARCFileCls.h"
#include "core/ArcFormat.h"
#include "core/platform/BinaryFile.h"
#include "core/ExtTypes.h"

namespace tessarin {

class ArcReadReceiver {
public:
    virtual ~ArcReadReceiver() = default;
    // The magic matched; ArcEntries is emptied right after this call.
    virtual void MagicAccepted() {}
    virtual void VersionRead(std::int16_t version) {}
    virtual void CountRead(std::int16_t count) {}
    // Before directory record index (1-based) is read.
    virtual void RecordStarting(int index) {}
    // After the record has been appended to ArcEntries. May throw VbError.
    virtual void EntryAdded(const ARCFileCls& entry, const DirectoryRecord& record) {}
};

struct ArcReadResult {
    enum class Status { Ok, WrongMagic, Failed };
    Status status = Status::Ok;
    int errorNumber = 0;  // with Failed
    std::string errorDescription;
    std::int16_t version = 0;
    std::int16_t count = 0;

    // Marks the result failed with an error number and its description.
    void Fail(int number, std::string description) {
        status = Status::Failed;
        errorNumber = number;
        errorDescription = std::move(description);
    }
};

// Reads from the start of an open file. ArcEntries keeps the records read before a failure.
ArcReadResult ReadArcDirectory(BinaryFile& file, const ExtTypeTable& ExtTypes, ArcEntryList& ArcEntries,
                               ArcReadReceiver& receiver);

// Opens path for reading, other programs locked out, and reads it.
// An open failure is reported as Failed with its error number.
ArcReadResult ReadArcFile(const std::string& path, const ExtTypeTable& ExtTypes, ArcEntryList& ArcEntries,
                          ArcReadReceiver& receiver);

}  // namespace tessarin
