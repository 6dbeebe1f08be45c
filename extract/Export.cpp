#include "extract/Export.h"

#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string_view>
#include <functional>
#include <vector>

#include "core/MessageTexts.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileSystem.h"
#include "core/platform/SafeFolder.h"
#include "core/platform/Temporaries.h"
#include "core/platform/VbError.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"
#include "extract/ExportFolders.h"
#include "extract/ExportNewFolder.h"
#include "extract/ExportPaths.h"
#include "extract/HeldMessages.h"
#include "extract/ExportRecord.h"
#include "extract/OutputFile.h"
#include "extract/Pipeline.h"
#include "extract/WrittenFiles.h"
#include "state/LongWork.h"

namespace tessarin {

namespace {

constexpr const char* kNotOpen = "档案没有成功打开，无法导出。";
constexpr const char* kExportDone = "资源文件导出完成。";
constexpr const char* kExportAllDone = "全部资源文件导出完成。";
constexpr const char* kExportAllStopped = "已停止导出，已导出的文件保留。";
constexpr const char* kEntryFailed = "导出文件时发生错误，KEY：";
constexpr const char* kReadFailed = "读取归档中的资源数据时出错，文件未导出：";

void ShowFailure(MessageSink& messages, const std::string& lead, const std::string& path, const VbError& error) {
    messages.MsgBox(FileFailureText(lead, path, error), MsgIcon::Stop, kProgramTitle);
}

void ShowUnsafeName(MessageSink& messages, const std::string& name, const std::string& key) {
    messages.MsgBox("文件名可能写到所选目录之外，已拒绝导出：" + name + kCrLf + kCrLf + "KEY：" + key, MsgIcon::Stop,
                    kProgramTitle);
}

void ShowLinkRefused(MessageSink& messages, const std::string& link, const std::string& key) {
    messages.MsgBox("路径经过一个链接，可能写到所选目录之外，已拒绝导出：" + link + kCrLf + kCrLf + "KEY：" + key,
                    MsgIcon::Stop, kProgramTitle);
}

void ShowBadSize(MessageSink& messages, std::int32_t size) {
    messages.MsgBox("记录的文件大小不正确（" + std::to_string(size) + "），无法解压。", MsgIcon::Warning,
                    "Compression Error");
}

// The picked folder, ending in "/" so that names can be appended.
std::string FolderWithSeparator(const std::string& picked) {
    std::string folder = picked;
    if (folder.empty() || folder.back() != kNativeSeparator) {
        folder += kNativeSeparator;
    }
    return folder;
}

// Writes an entry's stored bytes (raw) or inflated data as name in folder,
// reading the archive in blocks. Messages for every failure.
bool WriteFromArchive(MessageSink& messages, BinaryFile& archive, const SafeFolder& folder, const std::string& name,
                      const std::string& display, std::int64_t offset, std::int32_t size, std::int64_t storedSize,
                      bool raw, bool owned = false, std::optional<FileStamp>* stamp = nullptr) {
    try {
        return WriteOutputFile(messages, folder, name, display, [&](OutputFile& file) {
            archive.Seek(offset);
            ArchiveSource source(archive);
            if (raw) {
                source.CopyTo(file, storedSize);
                return true;
            }
            InflateResult result;
            if (storedSize <= kWholeEntryLimit && size <= kWholeEntryLimit) {
                std::unique_ptr<std::uint8_t[]> stored(new std::uint8_t[static_cast<std::size_t>(storedSize) + 1]);
                std::unique_ptr<std::uint8_t[]> plain(new std::uint8_t[static_cast<std::size_t>(size) + 1]);
                source.Read(stored.get(), static_cast<std::size_t>(storedSize));
                WholeInflater inflater;
                result = inflater.Inflate(stored.get(), static_cast<std::size_t>(storedSize), plain.get(), size);
                if (result.ok()) file.Put(plain.get(), static_cast<std::size_t>(result.produced));
            } else {
                result = InflateStream(source, storedSize, size, file);
            }
            if (!result.ok()) {
                ShowInflateFailure(messages, result.code);
                return false;
            }
            // The file has the recorded size, even if the stream was shorter.
            file.PutZeros(size - result.produced);
            return true;
        }, owned, stamp);
    } catch (const ArchiveReadFailure& failure) {
        ShowFailure(messages, kReadFailed, display, failure.error);
    } catch (const std::bad_alloc&) {
        ShowFailure(messages, kReadFailed, display, VbError(vberr::OutOfMemory));
    }
    return false;
}

// Checks an entry's data against the archive before anything is allocated or
// read; a message and false when it cannot be there.
bool DataIsInArchive(MessageSink& messages, std::int64_t length, std::int64_t offset, std::int64_t storedSize,
                     const std::string& display) {
    std::optional<VbError> error = CheckDataInArchive(length, offset, storedSize);
    if (error) ShowFailure(messages, kReadFailed, display, *error);
    return !error;
}

// Exports one entry of the open archive as name in folder: its stored bytes (raw) or its inflated data.
bool ExportEntryTo(Program& program, MessageSink& messages, const SafeFolder& folder, const std::string& name,
                   const std::string& display, std::int32_t offset, std::int32_t size, std::int32_t storedSize,
                   bool raw) {
    BinaryFile* archive = nullptr;
    std::int64_t length = 0;
    try {
        archive = &program.files.Get(program.arc.ArcFileNum);
        length = archive->Length();
    } catch (const VbError& error) {
        ShowFailure(messages, kReadFailed, display, error);
        return false;
    }
    if (!DataIsInArchive(messages, length, offset, storedSize, display)) return false;
    if (!raw && size < 0) {
        ShowBadSize(messages, size);
        return false;
    }
    return WriteFromArchive(messages, *archive, folder, name, display, offset, size, storedSize, raw);
}

// One export-all run (or of some entries, see EntrySubset): the chosen
// folder, the files written so far and the failures.
class ExportAllRun {
public:
    // recordFolder: where the files are on disk while the run writes them
    // (rootText but for a folder the export owns, see ExportAllEntriesIntoNewFolder).
    ExportAllRun(Program& program, SafeFolder root, std::string rootText, const EntrySubset* subset, bool raw,
                 bool owned, const std::string& recordFolder)
        : program_(program), ui_(program.ui), rootText_(rootText), folders_(std::move(root), std::move(rootText), owned),
          raw_(raw), owned_(owned), subset_(subset) {
        // The record describes a whole export: an import reads it for the archive's own layout.
        if (!raw_ && subset_ == nullptr) recorder_.emplace(program, recordFolder);
    }

    bool Run(BinaryFile& archive, std::int64_t length, LongWork& work) {
        const std::size_t count = subset_ ? subset_->indices.size() : program_.arc.ArcEntries.size();
        // One flag per entry; where each goes is worked out again when it is written.
        placeable_.resize(count);
        written_.Reserve(count);
        for (std::size_t i = 0; i < count; ++i) placeable_[i] = Place(EntryAt(i)).has_value();
        EntryPipeline pipeline(archive, length, count, [this](EntryJob& job) {
            const ARCFileCls& entry = EntryAt(job.index);
            job.offset = entry.ArcFileOFSET;
            job.storedSize = entry.ArcFileZipSize;
            job.size = entry.ArcFileOrgSize;
            job.inflate = !raw_;
            job.skip = !placeable_[job.index];
        });
        const auto idle = [this] { ui_.DoEvents(); };
        while (EntryJob* job = pipeline.Next(idle)) {
            if (work.Poll()) {
                if (program_.ending) return false;
                stopped_ = true;
                break;
            }
            work.Advance(job->index);
            HeldMessages held;
            bool written = false;
            try {
                written = ExportJob(held, archive, *job);
            } catch (const std::exception&) {
                // Anything unforeseen costs this entry only, never the run.
                held.MsgBox(kEntryFailed + EntryAt(job->index).ArcFileKey, MsgIcon::Stop, kProgramTitle);
            }
            if (!written) allWritten_ = false;
            if (!Deliver(held, written)) {
                stopped_ = true;
                break;
            }
        }
        return allWritten_ && !stopped_;
    }

    // The record of an inflated export, for the files written before it ended.
    void SaveRecord() const {
        if (recorder_) recorder_->Save();
    }

    // Closes the folders the run holds open.
    void CloseFolders() { folders_.Close(); }

    void Finish() {
        const std::string done = stopped_ ? kExportAllStopped : subset_ ? kExportDone : kExportAllDone;
        if (quiet_ && !failures_.empty()) {
            ui_.ShowReport(kProgramTitle,
                           done + kCrLf + std::to_string(failures_.size()) + " 个条目未能导出：", failures_);
        } else {
            ui_.MsgBox(done, MsgIcon::Information, kProgramTitle);
        }
    }

    // The bytes each entry's export moves, for progress: its stored bytes, and
    // the inflated ones it writes unless raw.
    std::vector<std::uint64_t> ItemBytes(std::size_t count) const {
        std::vector<std::uint64_t> bytes(count);
        for (std::size_t i = 0; i < count; ++i) {
            const ARCFileCls& entry = EntryAt(i);
            bytes[i] = static_cast<std::uint64_t>(std::max(entry.ArcFileZipSize, 0)) +
                       (raw_ ? 0 : static_cast<std::uint64_t>(std::max(entry.ArcFileOrgSize, 0)));
        }
        return bytes;
    }

private:
    // The run's i-th entry, in directory order.
    std::size_t IndexAt(std::size_t i) const { return subset_ ? subset_->indices[i] : i; }
    const ARCFileCls& EntryAt(std::size_t i) const { return program_.arc.ArcEntries[IndexAt(i)]; }
    std::optional<EntryPlace> Place(const ARCFileCls& entry) const {
        return PlaceOf(entry, subset_ ? subset_->skippedFolderChars : 0);
    }

    // Writes one entry's file; its messages go to held. True when written.
    bool ExportJob(HeldMessages& held, BinaryFile& archive, EntryJob& job) {
        const ARCFileCls& entry = EntryAt(job.index);
        const std::optional<EntryPlace> place = Place(entry);
        if (!place) {
            ShowUnsafeName(held, entry.ArcFilePath + entry.ArcFileName, entry.ArcFileKey);
            return false;
        }
        const std::string display = rootText_ + place->folderKey + place->name;
        // Names the file system takes for one file (case aside, on Windows) are one file.
        const std::string fileKey = FileNameCaseKey(place->folderKey + place->name);
        if (const std::optional<std::size_t> first = WrittenBefore(fileKey)) {
            ShowCollision(held, display, entry.ArcFileKey, program_.arc.ArcEntries[*first].ArcFileKey);
            return false;
        }
        const SafeFolder* folder = nullptr;
        try {
            folder = &folders_.Get(*place);
        } catch (const FolderFailure& failure) {
            if (!failure.link.empty()) {
                ShowLinkRefused(held, failure.link, entry.ArcFileKey);
                return false;
            }
            ShowFailure(held, "无法创建目录，文件未导出：", rootText_ + place->folderKey, failure.error);
            held.MsgBox(kEntryFailed + entry.ArcFileKey, MsgIcon::Stop, kProgramTitle);
            return false;
        }
        std::optional<FileStamp> stamp;
        const bool done = WriteJob(held, archive, *folder, place->name, display, job, &stamp);
        if (done) {
            written_.Add(std::hash<std::string>{}(fileKey), static_cast<std::uint32_t>(IndexAt(job.index)));
            if (recorder_) recorder_->Written(IndexAt(job.index), place->folders, place->name, stamp);
        } else {
            held.MsgBox(kEntryFailed + entry.ArcFileKey, MsgIcon::Stop, kProgramTitle);
        }
        return done;
    }

    // The entry whose file fileKey names, if this run has written one. Only
    // hashes are kept; an entry with the same hash is looked at again.
    std::optional<std::size_t> WrittenBefore(const std::string& fileKey) const {
        const std::optional<std::uint32_t> first = written_.Find(std::hash<std::string>{}(fileKey), [&](std::uint32_t entry) {
            const std::optional<EntryPlace> other = Place(program_.arc.ArcEntries[entry]);
            return other && FileNameCaseKey(other->folderKey + other->name) == fileKey;
        });
        if (!first) return std::nullopt;
        return *first;
    }

    bool WriteJob(MessageSink& messages, BinaryFile& archive, const SafeFolder& folder, const std::string& name,
                  const std::string& display, const EntryJob& job, std::optional<FileStamp>* stamp) {
        if (job.readError) {
            ShowFailure(messages, kReadFailed, display, *job.readError);
            return false;
        }
        if (!raw_ && job.size < 0) {
            ShowBadSize(messages, job.size);
            return false;
        }
        if (job.streamed) {
            return WriteFromArchive(messages, archive, folder, name, display, job.offset, job.size, job.storedSize,
                                    raw_, owned_, stamp);
        }
        if (!raw_ && !job.result.ok()) {
            ShowInflateFailure(messages, job.result.code);
            return false;
        }
        return WriteOutputFile(messages, folder, name, display, [&](OutputFile& file) {
            if (raw_) {
                file.Put(job.stored.data, static_cast<std::size_t>(job.storedSize));
            } else {
                file.Put(job.plain.data, static_cast<std::size_t>(job.result.produced));
                file.PutZeros(job.size - job.result.produced);
            }
            return true;
        }, owned_, stamp);
    }

    // Shows an entry's messages. A failure is one box: the last message (the
    // one naming the entry) first, the reasons before it under it, with the
    // choice how to go on. False when the user chose to stop.
    bool Deliver(const HeldMessages& held, bool written) {
        if (!written) {
            std::string line;
            for (const auto& message : held.messages) line += (line.empty() ? "" : " ") + OneLine(message.text);
            failures_.push_back(line);
        }
        if (quiet_ || held.messages.empty()) return true;
        if (written) {
            for (const auto& message : held.messages) ui_.MsgBox(message.text, message.icon, message.title);
            return true;
        }
        const std::size_t last = held.messages.size() - 1;
        std::string text = held.messages[last].text;
        for (std::size_t i = 0; i < last; ++i) text += std::string(kCrLf) + kCrLf + held.messages[i].text;
        switch (ui_.AskAfterFailure(text, held.messages[last].title)) {
            case FailureChoice::GoOn: return true;
            case FailureChoice::GoOnQuietly: quiet_ = true; return true;
            case FailureChoice::Stop: return false;
        }
        return true;
    }

    Program& program_;
    IMainWindow& ui_;
    std::string rootText_;
    FolderCache folders_;
    bool raw_;
    bool owned_;  // the export made the chosen folder itself
    const EntrySubset* subset_;  // nullptr: every entry
    std::vector<bool> placeable_;  // entries whose name stays inside the chosen folder
    // Hash of each file written below the chosen folder -> its entry.
    WrittenFiles written_;
    std::vector<std::string> failures_;
    std::optional<ExportRecorder> recorder_;
    bool quiet_ = false;
    bool stopped_ = false;
    bool allWritten_ = true;
};

}  // namespace

bool ExportEntryFile(Program& program, std::int32_t offset, std::int32_t uncompressedSize, std::int32_t storedSize,
                     const std::string& outputPath, bool raw) {
    const std::size_t cut = outputPath.rfind(kNativeSeparator);
    const std::string folderPath = cut == std::string::npos ? "." : outputPath.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? outputPath : outputPath.substr(cut + 1);
    SafeFolder folder;
    try {
        folder = SafeFolder::Open(folderPath);
    } catch (const VbError& error) {
        ShowWriteFailure(program.ui, outputPath, error);
        return false;
    }
    RemoveStaleTemporariesIn(folder);
    return ExportEntryTo(program, program.ui, folder, name, outputPath, offset, uncompressedSize, storedSize, raw);
}

bool ExportOneEntry(Program& program, const ExportRequest& request, const std::string& key) {
    const ARCFileCls* entry = FindEntryByKey(program.arc.ArcEntries, key);
    if (entry == nullptr) return false;  // only entries are exported one by one
    if (!program.ArchiveIsOpen()) {
        program.ui.MsgBox(kNotOpen, MsgIcon::Stop, kProgramTitle);
        return false;
    }
    const std::string name = entry->ArcFileName;
    // The file goes straight into the folder under the entry's name, which
    // must therefore be one plain name.
    if (!IsSafeExportName(name)) {
        ShowUnsafeName(program.ui, name, key);
        return false;
    }
    const std::string outputPath = FolderWithSeparator(request.folder) + name;
    const ARCFileCls found = *entry;
    // A file in the way is replaced only when the user says so (the companion answers yes).
    if (FileExists(outputPath) && !program.ui.AskYesNo(std::string("文件已存在，是否替换？") + kCrLf + outputPath,
                                                       kProgramTitle)) {
        return false;
    }

    // A file already at the output path is replaced only once the new one is
    // whole: a failed export leaves it as it was.
    SafeFolder folder;
    try {
        folder = SafeFolder::Open(request.folder);
    } catch (const VbError& error) {
        ShowWriteFailure(program.ui, outputPath, error);
        return false;
    }
    RemoveStaleTemporariesIn(folder);  // what a killed export left in this folder
    if (!ExportEntryTo(program, program.ui, folder, name, outputPath, found.ArcFileOFSET, found.ArcFileOrgSize,
                       found.ArcFileZipSize, request.raw)) {
        return false;
    }
    program.ui.MsgBox(kExportDone, MsgIcon::Information, kProgramTitle);
    return true;
}

namespace {

// Exports every entry, or those of subset, below the folder picked; into a
// folder the export makes itself when fresh.
bool ExportInto(Program& program, const std::string& picked, const EntrySubset* subset, bool raw, bool fresh) {
    IMainWindow& ui = program.ui;
    const std::string root = FolderWithSeparator(picked);
    const std::size_t count = subset ? subset->indices.size() : program.arc.ArcEntries.size();
    SafeFolder rootFolder;
    std::optional<NewFolder> made;
    BinaryFile* archive = nullptr;
    std::int64_t length = 0;
    try {
        if (fresh && count == 0) CreateDirectories(picked);
        else if (fresh) made = MakeHiddenFolder(root.substr(0, root.size() - 1), rootFolder);
        else rootFolder = SafeFolder::Open(picked);
    } catch (const VbError& error) {
        ShowFailure(ui, "无法创建目录，文件未导出：", root, error);
        return false;
    }
    if (count == 0) {
        // With no entries the progress range would be empty: go straight to the end.
        ui.MsgBox(subset ? kExportDone : kExportAllDone, MsgIcon::Information, kProgramTitle);
        return true;
    }
    try {
        archive = &program.files.Get(program.arc.ArcFileNum);
        length = archive->Length();
    } catch (const VbError& error) {
        ShowFailure(ui, kReadFailed, root, error);
        if (made) PlaceNewFolder(ui, *made, root);
        return false;
    }

    bool allWritten = false;
    ExportAllRun run(program, std::move(rootFolder), root, subset, raw, made.has_value(),
                     made ? made->hiddenText : root);
    {
        LongWork work(program, "正在导出", run.ItemBytes(count));
        allWritten = run.Run(*archive, length, work);
        run.SaveRecord();
    }
    run.CloseFolders();  // a folder held open cannot be renamed everywhere
    if (made && !PlaceNewFolder(ui, *made, root)) allWritten = false;
    if (program.ending) {
        return false;
    }
    run.Finish();
    return allWritten;
}

}  // namespace

bool ExportEntries(Program& program, const ExportRequest& request, const EntrySubset* subset) {
    return ExportInto(program, request.folder, subset, request.raw, request.newFolder && subset == nullptr);
}

}  // namespace tessarin
