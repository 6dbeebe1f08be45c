#include "extract/ArchiveCompare.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "core/ArcReader.h"
#include "core/MessageTexts.h"
#include "extract/Codec.h"
#include "extract/EntrySource.h"
#include "extract/InflateCursor.h"
#include "extract/Verify.h"

namespace tessarin {

namespace {

// Stored bytes are compared in blocks of this size, one from each archive.
constexpr std::size_t kStoredBlock = 1 << 20;

constexpr const char* kUnreadableText = "无法读取档案：";

std::string ReadFailureText(const std::string& what) { return "读取存储的数据时出错：" + what; }

// Keeps nothing of what it is given.
class DiscardSink : public ByteSink {
public:
    void Put(const std::uint8_t*, std::size_t) override {}
};

// A problem of the record itself, found without reading its data.
std::string RecordProblem(const BinaryFile& file, const ARCFileCls& entry) {
    if (entry.ArcFileOrgSize < 0) return "记录的原始大小为负数（" + std::to_string(entry.ArcFileOrgSize) + "）";
    if (const auto error = ArchiveRangeSource::Check(file, entry.ArcFileOFSET, entry.ArcFileZipSize))
        return "存储的数据不在档案之内：" + std::string(error->what());
    return {};
}

// Whether both entries' stored bytes are the same, read in blocks; false on
// any read failure (the inflating comparison then tells what is wrong).
bool StoredBytesEqual(const BinaryFile& fa, const ARCFileCls& ea, const BinaryFile& fb, const ARCFileCls& eb,
                      std::vector<std::uint8_t>& blockA, std::vector<std::uint8_t>& blockB) {
    if (ea.ArcFileZipSize != eb.ArcFileZipSize || ea.ArcFileOrgSize != eb.ArcFileOrgSize) return false;
    if (!RecordProblem(fa, ea).empty() || !RecordProblem(fb, eb).empty()) return false;
    std::int64_t done = 0;
    try {
        while (done < ea.ArcFileZipSize) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(ea.ArcFileZipSize - done, kStoredBlock));
            if (fa.ReadAt(ea.ArcFileOFSET + done, blockA.data(), n) != n) return false;
            if (fb.ReadAt(eb.ArcFileOFSET + done, blockB.data(), n) != n) return false;
            if (std::memcmp(blockA.data(), blockB.data(), n) != 0) return false;
            done += static_cast<std::int64_t>(n);
        }
    } catch (const VbError&) {
        return false;
    }
    return true;
}

// Takes A's inflated bytes as they come and reads as many of B's from its
// cursor, noting the first difference.
class MatchingSink : public ByteSink {
public:
    explicit MatchingSink(InflateCursor& other) : other_(other), block_(kStreamBlock) {}
    void Put(const std::uint8_t* bytes, std::size_t n) override {
        while (n > 0 && !differs_) {
            const std::size_t step = std::min(n, block_.size());
            const std::size_t got = other_.Read(reached_, block_.data(), step, never_);
            reached_ += static_cast<std::int64_t>(got);
            differs_ = got != step || std::memcmp(bytes, block_.data(), step) != 0;
            bytes += step;
            n -= step;
        }
    }
    // After A's last byte: B is read to its end, which differs if it is longer.
    bool Finish() {
        if (!differs_ && other_.Read(reached_, block_.data(), 1, never_) != 0) differs_ = true;
        for (std::size_t got; (got = other_.Read(reached_, block_.data(), block_.size(), never_)) != 0;)
            reached_ += static_cast<std::int64_t>(got);
        return differs_;
    }

private:
    InflateCursor& other_;
    std::vector<std::uint8_t> block_;
    std::int64_t reached_ = 0;  // B's bytes read so far
    bool differs_ = false;
    const std::atomic<bool> never_{false};
};

// The damage a cursor found once read to its end, for an entry of size bytes.
std::string CursorDamage(const InflateCursor& cursor, std::int32_t size) {
    const InflateEnd end = cursor.End();
    if (!end.readFailure.empty()) return ReadFailureText(end.readFailure);
    InflateResult result;
    result.code = end.code;
    result.produced = end.at;
    return InflateProblem(result, size);
}

// Compares two entries whose stored bytes differ by their inflated data; true
// when they differ or either is damaged (d then says which).
bool CompareInflated(BinaryFile& fa, const ARCFileCls& ea, BinaryFile& fb, const ARCFileCls& eb,
                     EntryDifference& d) {
    d.damageA = RecordProblem(fa, ea);
    d.damageB = RecordProblem(fb, eb);
    bool differs = true;
    if (d.damageA.empty() && d.damageB.empty()) {
        // An empty entry's stream is checked by the codec, which the cursor does not need to.
        InflateCursor cursor(fb, eb.ArcFileOFSET, eb.ArcFileZipSize, eb.ArcFileOrgSize);
        MatchingSink sink(cursor);
        try {
            ArchiveRangeSource source(fa, ea.ArcFileOFSET, ea.ArcFileZipSize);
            d.damageA = InflateProblem(InflateStream(source, ea.ArcFileZipSize, ea.ArcFileOrgSize, sink), ea.ArcFileOrgSize);
        } catch (const ArchiveReadFailure& failure) {
            d.damageA = ReadFailureText(failure.error.what());
        }
        differs = sink.Finish();
        d.damageB = eb.ArcFileOrgSize == 0 ? EntryDamage(fb, eb) : CursorDamage(cursor, eb.ArcFileOrgSize);
    } else {
        if (d.damageA.empty()) d.damageA = EntryDamage(fa, ea);
        if (d.damageB.empty()) d.damageB = EntryDamage(fb, eb);
    }
    d.change = !d.damageA.empty() || !d.damageB.empty() ? EntryChange::Damaged : EntryChange::Changed;
    return differs || d.change == EntryChange::Damaged;
}

// Each key's records in directory order, handed out one after the other.
class KeyQueue {
public:
    explicit KeyQueue(const ArcEntryList& entries) {
        for (std::size_t i = 0; i < entries.size(); ++i) indices_[entries[i].ArcFileKey].push_back(i);
    }
    std::size_t Take(std::string_view key) {
        const auto found = indices_.find(key);
        if (found == indices_.end() || found->second.empty()) return kNoEntry;
        std::vector<std::size_t>& list = found->second;
        const std::size_t index = list.front();
        list.erase(list.begin());
        return index;
    }

private:
    std::unordered_map<std::string_view, std::vector<std::size_t>> indices_;
};

}  // namespace

bool ArchiveComparison::HasDamage() const {
    return std::any_of(differences.begin(), differences.end(),
                       [](const EntryDifference& d) { return d.change == EntryChange::Damaged; });
}

std::string EntryDamage(BinaryFile& file, const ARCFileCls& entry, bool readFailuresThrow) {
    if (std::string problem = RecordProblem(file, entry); !problem.empty()) return problem;
    try {
        try {
            file.Seek(entry.ArcFileOFSET);
        } catch (const VbError& error) {
            throw ArchiveReadFailure{error};
        }
        ArchiveSource source(file);
        DiscardSink sink;
        return InflateProblem(InflateStream(source, entry.ArcFileZipSize, entry.ArcFileOrgSize, sink),
                              entry.ArcFileOrgSize);
    } catch (const ArchiveReadFailure& failure) {
        if (readFailuresThrow) throw;
        return ReadFailureText(failure.error.what());
    }
}

ArchiveComparison CompareArchives(const ComparedArchive& a, const ComparedArchive& b, const CompareOptions& options) {
    ArchiveComparison result;
    KeyQueue inA(a.entries);
    std::vector<bool> paired(a.entries.size(), false);
    std::vector<std::uint8_t> blockA(kStoredBlock), blockB(kStoredBlock);
    for (std::size_t ib = 0; ib < b.entries.size(); ++ib) {
        const ARCFileCls& eb = b.entries[ib];
        EntryDifference d;
        d.key = eb.ArcFileKey;
        d.indexB = ib;
        d.indexA = inA.Take(eb.ArcFileKey);
        if (d.indexA == kNoEntry) {
            if (options.checkAdded) d.damageB = EntryDamage(b.file, eb);
            d.change = d.damageB.empty() ? EntryChange::Added : EntryChange::Damaged;
            result.differences.push_back(std::move(d));
        } else {
            paired[d.indexA] = true;
            const ARCFileCls& ea = a.entries[d.indexA];
            if (!StoredBytesEqual(a.file, ea, b.file, eb, blockA, blockB) && CompareInflated(a.file, ea, b.file, eb, d))
                result.differences.push_back(std::move(d));
        }
        if (options.onEntry && !options.onEntry(ib + 1) && ib + 1 < b.entries.size()) {
            result.stopped = true;
            return result;
        }
    }
    for (std::size_t ia = 0; ia < a.entries.size(); ++ia) {
        if (paired[ia]) continue;
        EntryDifference d;
        d.change = EntryChange::Removed;
        d.key = a.entries[ia].ArcFileKey;
        d.indexA = ia;
        result.differences.push_back(std::move(d));
    }
    return result;
}

std::optional<ReadOnlyArchive> OpenReadOnlyArchive(const std::string& path, const ExtTypeTable& types,
                                                   std::string& failure) {
    ReadOnlyArchive archive;
    try {
        archive.file = BinaryFile::Open(path, OpenMode::ReadShared);
    } catch (const VbError& error) {
        failure = FileFailureText(kUnreadableText, path, error);
        return std::nullopt;
    }
    ArcReadReceiver quiet;
    const ArcReadResult read = ReadArcDirectory(archive.file, types, archive.entries, quiet);
    if (read.status == ArcReadResult::Status::WrongMagic) {
        failure = std::string(kWrongTypeText) + "：" + path;
        return std::nullopt;
    }
    if (read.status != ArcReadResult::Status::Ok) {
        failure = FileFailureText(kUnreadableText, path, VbError(read.errorNumber, read.errorDescription));
        return std::nullopt;
    }
    return archive;
}

}  // namespace tessarin
