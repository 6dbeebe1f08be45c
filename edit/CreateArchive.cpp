#include "edit/CreateArchive.h"

#include <exception>
#include <limits>
#include <new>
#include <optional>

#include "core/ArcFormat.h"
#include "core/ArcWriter.h"
#include "core/MessageTexts.h"
#include "core/platform/FileSystem.h"
#include "core/platform/FileTransfer.h"
#include "core/platform/FolderWalk.h"
#include "core/platform/PlaceNewFile.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"
#include "edit/NewArchiveFile.h"
#include "extract/ExportRecord.h"
#include "replace/FolderDeflate.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

// The listed size of each entry's file, a file of 1 GiB or more refused. Where
// the listing gave no size, the file is opened to learn it. False after a
// message when a file cannot be read.
bool CheckSizes(Program& program, const std::string& folder, const std::vector<std::string>& files,
                const std::vector<std::int64_t>& sizes, FileEntryList& list) {
    std::size_t f = 0;  // the entries are the files in order, less those refused
    for (FileEntry& entry : list.entries) {
        while (files[f] != entry.file) ++f;
        entry.listedSize = sizes[f];
        try {
            if (entry.listedSize < 0) entry.listedSize = OpenFileBelow(folder, entry.file).Length();
        } catch (const VbError& error) {
            program.ui.MsgBox(FileFailureText("无法读取文件：", folder + "/" + entry.file, error), MsgIcon::Stop,
                              kProgramTitle);
            return false;
        }
        if (entry.listedSize >= kOrgSizeBias) list.refusals.push_back(std::string(kTooLargeText) + "：" + entry.file);
    }
    return true;
}

}  // namespace

bool PlanCreate(Program& program, const std::string& folder, CreatePlan& plan) {
    plan = CreatePlan{};
    plan.folder = folder;
    FolderListing listing;
    try {
        listing = ListFilesBelow(folder);
    } catch (const VbError& error) {
        program.ui.MsgBox(FileFailureText("无法读取目录：", folder, error), MsgIcon::Stop, kProgramTitle);
        return false;
    } catch (const UnreadableFolder& failure) {
        // Its files would be missing from the archive.
        program.ui.MsgBox(FileFailureText("无法读取目录，未写入任何文件：", folder + "/" + failure.relative, failure.error),
                          MsgIcon::Stop, kProgramTitle);
        return false;
    }
    plan.skipped = std::move(listing.skipped);
    std::vector<std::string> files;
    std::vector<std::int64_t> sizes;  // as the walk saw them, -1 where it could not tell
    files.reserve(listing.files.size());
    sizes.reserve(listing.files.size());
    for (std::size_t i = 0; i < listing.files.size(); ++i) {
        // An export's record lies beside the files it wrote; it is never an entry.
        if (listing.files[i] == kExportRecordName) continue;
        files.push_back(std::move(listing.files[i]));
        sizes.push_back(listing.stamps[i] ? listing.stamps[i]->size : -1);
    }
    listing.files = {};
    listing.stamps = {};
    if (files.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        program.ui.MsgBox("文件数超过 32767，无法存入一个档案：" + std::to_string(files.size()) + " 个文件，" + folder,
                          MsgIcon::Warning, kProgramTitle);
        return false;
    }
    FileEntryList list = EntriesOfFiles(files, program.ExtTypes);
    for (const std::string& deep : listing.tooDeep) list.refusals.push_back(std::string(kTooDeepText) + "：" + deep);
    if (!CheckSizes(program, folder, files, sizes, list)) return false;
    if (!list.refusals.empty()) {
        ShowRefusals(program.ui, "以下文件不能存入档案，未写入任何文件：", list.refusals);
        return false;
    }
    files = {};
    sizes = {};
    SortForNewArchive(list.entries);
    plan.entries = std::move(list.entries);
    return true;
}

namespace {

// Writes the archive of plan into out (a new empty file): the data right after
// the directory, batch by batch as the workers hand them over, then the head.
// failedFile names the source a failure concerns. Throws NewArchiveStopped,
// RewriteOutOfRange, and what the files and the deflate throw.
void WriteEntries(Program& program, const CreatePlan& plan, BinaryFile& out, std::string& failedFile, LongWork& work) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    const std::vector<FileEntry>& entries = plan.entries;
    // Each record is made when the writer asks for it, which uses it before it
    // asks for the next: the entries hold only their keys and codes.
    const ExtTypeIndex types(program.ExtTypes);
    ARCFileCls asked;
    const RecordAt recordAt = [&](std::size_t i) -> const ARCFileCls& { return asked = RecordOf(entries[i], types); };
    std::vector<WrittenRecord> numbers(entries.size());
    std::int64_t position = WrittenDirectoryEnd(entries.size(), recordAt);
    if (position > kMax) throw RewriteOutOfRange{};
    out.Seek(position);
    FolderDeflate deflate(
        plan.folder, entries.size(), [&](std::size_t i) -> const std::string& { return entries[i].file; },
        [&](std::size_t i) { return entries[i].listedSize; }, out.Path(), kOrgSizeBias - 1);
    for (std::size_t b = 0; b < deflate.BatchCount(); ++b) {
        PollNewArchiveStop(program);
        FolderDeflate::Batch batch = deflate.Take(b, [&] { PollNewArchiveStop(program); });
        if (batch.failure) {
            failedFile = plan.folder + "/" + entries[batch.failed].file;
            std::rethrow_exception(batch.failure);
        }
        // The in-memory bytes go out in one write, but for a file deflated
        // into a scratch file (one that was larger than listed) between them.
        std::size_t written = 0, held = 0;
        for (std::size_t i = 0; i < batch.files.size(); ++i) {
            FolderDeflate::File& file = batch.files[i];
            WrittenRecord& record = numbers[batch.first + i];
            if (file.scratch.IsOpen()) {
                out.Write(batch.bytes.data() + written, held - written);
                written = held;
                CopyBetweenFiles(file.scratch, 0, file.sizes.stored, out);
                file.scratch.Close();
            } else {
                held += static_cast<std::size_t>(file.sizes.stored);
            }
            if (position > kMax || file.sizes.stored > kMax - position) throw RewriteOutOfRange{};
            record.ArcFileOFSET = static_cast<std::int32_t>(position);
            record.ArcFileZipSize = static_cast<std::int32_t>(file.sizes.stored);
            record.ArcFileOrgSize = static_cast<std::int32_t>(file.sizes.plain);
            position += file.sizes.stored;
        }
        out.Write(batch.bytes.data() + written, held - written);
        work.Advance(batch.first + batch.files.size());
    }
    WriteArcHead(out, recordAt, numbers);
}

}  // namespace

bool WriteNewArchive(Program& program, const CreatePlan& plan, const std::string& archivePath) {
    if (!NewArchivePathFree(program, archivePath)) return false;
    // The bar and the time left follow the sources' bytes (as the folder's
    // listing gave them), not the count of files: one large file among many
    // small ones is most of the work.
    std::vector<std::uint64_t> itemBytes;
    itemBytes.reserve(plan.entries.size());
    for (const FileEntry& entry : plan.entries) itemBytes.push_back(static_cast<std::uint64_t>(entry.listedSize));
    LongWork work(program, "正在新建档案", std::move(itemBytes));

    std::string failedFile;
    NewArchiveHooks hooks;
    hooks.showSourceFailure = [&](const std::exception_ptr& failure) {
        return !failedFile.empty() && ShowSourceFailure(program, failedFile, failure);
    };
    return WriteArchiveFile(
        program, [&](BinaryFile& out) { WriteEntries(program, plan, out, failedFile, work); }, archivePath, hooks);
}

}  // namespace tessarin
