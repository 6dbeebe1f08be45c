#pragma once
// Folders held open by a handle, in which names are created, opened and renamed
// relative to that handle and never through a link: what an export writes stays
// inside the folder the user chose, whatever links already lie in it.
// Names are single components in the program's text ("\" and "/" never appear).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/platform/FileStamp.h"

namespace tessarin {

class FolderFile;

class SafeFolder {
public:
    // Platform handle: a descriptor on POSIX, a HANDLE's value on Windows.
    using Handle = std::intptr_t;
    static constexpr Handle kNoHandle = -1;

    SafeFolder() = default;
    ~SafeFolder();
    SafeFolder(SafeFolder&& other) noexcept;
    SafeFolder& operator=(SafeFolder&& other) noexcept;
    SafeFolder(const SafeFolder&) = delete;
    SafeFolder& operator=(const SafeFolder&) = delete;

    // Opens the folder the user chose. Links on the way to it are the user's
    // choice and are followed. Throws VbError (76 missing, 70 denied, 75 not a folder).
    static SafeFolder Open(const std::string& path);

    // Opens the folder name inside this one, creating it when it is missing.
    // A link in its place is never followed: *isLink is set and VbError 75 thrown.
    // Anything else in the way (a file) throws VbError 75 too.
    SafeFolder OpenOrCreateChild(const std::string& name, bool* isLink = nullptr) const;

    // Makes the folder name inside this one and opens it; anything already
    // at name (a folder, a file, a link) throws VbError 58.
    SafeFolder CreateNewChild(const std::string& name) const;

    // Renames the folder from inside this one to to. Nothing at to is
    // replaced but an empty folder: anything else there throws VbError 58.
    void RenameChild(const std::string& from, const std::string& to) const;

    // A new file created under name itself, for a folder whose names only its
    // writer uses: anything already at name (a link included) throws VbError
    // 58 and is left as it is. The file keeps name once committed and is
    // removed again otherwise, but a run that is killed leaves it as far as it
    // was written. Throws VbError.
    FolderFile CreateNewFile(const std::string& name) const;

    // A new file in this folder, with a hidden, recognisable temporary name
    // derived from name, locked while it is written; it becomes name only
    // through FolderFile::CommitAs. Throws VbError.
    FolderFile CreateTemporaryFor(const std::string& name) const;

    bool IsOpen() const { return handle_ != kNoHandle; }
    // The handle itself, for the platform layer's own calls.
    Handle NativeHandle() const { return handle_; }

private:
    explicit SafeFolder(Handle handle) : handle_(handle) {}
    Handle handle_ = kNoHandle;
};

// A file being written in a SafeFolder. It is removed again unless committed;
// the folder it was created in must stay open until then.
class FolderFile {
public:
    FolderFile() = default;
    ~FolderFile();
    FolderFile(FolderFile&& other) noexcept;
    FolderFile& operator=(FolderFile&& other) noexcept;
    FolderFile(const FolderFile&) = delete;
    FolderFile& operator=(const FolderFile&) = delete;

    // Appends n bytes; throws VbError (61 when the disk is full, 57 otherwise).
    void Write(const void* bytes, std::size_t n);
    // Closes the file and renames it over name in its folder (a file made by
    // CreateNewFile has its name already and is only closed): a file there is
    // replaced whole, a link there is replaced itself and never written
    // through, a folder there throws VbError 75. On a failure the temporary is removed.
    void CommitAs(const std::string& name) { Commit(name, true); }
    // The same without putting the new file on the disk before it replaces the
    // old one: quicker, but a crash soon after can leave neither whole. Only
    // for a file whose reader finds out when it is not whole and can do without it.
    void CommitUnsyncedAs(const std::string& name) { Commit(name, false); }
    // Closes and removes the file (also done by the destructor when not committed).
    void Discard();

    bool IsOpen() const { return handle_ != SafeFolder::kNoHandle; }

    // The file's stamp as it was committed under its name, where the system
    // tells it without another look up (nullopt otherwise, or before the commit).
    const std::optional<FileStamp>& CommittedStamp() const { return stamp_; }

private:
    friend class SafeFolder;
    void Commit(const std::string& name, bool syncFirst);
    void CloseCommitted();  // closes the committed file, taking its stamp where the system allows
    SafeFolder::Handle folder_ = SafeFolder::kNoHandle;  // not owned
    SafeFolder::Handle handle_ = SafeFolder::kNoHandle;
    std::string tempName_;  // native bytes
    bool inPlace_ = false;  // made under its own name by CreateNewFile
    std::optional<FileStamp> stamp_;
};

}  // namespace tessarin
