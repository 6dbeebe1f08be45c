#include "edit/EditEntries.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <set>
#include <string_view>
#include <unordered_map>

#include "core/ArcFormat.h"
#include "core/EntryNames.h"
#include "core/MessageTexts.h"
#include "core/platform/VbError.h"
#include "edit/EditMessages.h"
#include "edit/NewKeys.h"
#include "replace/BackgroundDeflate.h"
#include "replace/Replace.h"
#include "replace/StreamDeflate.h"

namespace tessarin {

namespace {

constexpr const char* kMissingText = "档案中没有这个条目";

// Each key's first record: a batch of keys is looked up without a scan each.
class KeyIndex {
public:
    explicit KeyIndex(const ArcEntryList& entries) {
        index_.reserve(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) index_.emplace(entries[i].ArcFileKey, i);
    }
    std::optional<std::size_t> Of(std::string_view key) const {
        const auto found = index_.find(key);
        return found == index_.end() ? std::nullopt : std::optional<std::size_t>(found->second);
    }

private:
    std::unordered_map<std::string_view, std::size_t> index_;
};

bool ArchiveOpen(Program& program) {
    if (program.ArchiveIsOpen()) return true;
    program.ui.MsgBox("档案没有成功打开，无法修改。", MsgIcon::Stop, kProgramTitle);
    return false;
}

// The rewrite's own failures have their messages; a source's are shown here.
bool Rewrite(Program& program, const RewritePlan& plan, const std::string& sourcePath = {}) {
    return RewriteArchive(program, plan, [&](std::exception_ptr failure) {
        return !sourcePath.empty() && ShowSourceFailure(program, sourcePath, failure);
    });
}

}  // namespace

namespace {

// CheckNewKey with the type table's index and the key index made once for a batch.
std::optional<ARCFileCls> CheckKeyWith(Program& program, const std::string& newKey, std::size_t except,
                                       const ExtTypeIndex& types, const KeyIndex& keys) {
    const auto parsed = ParseKeyWithTypes(newKey, program.ExtTypes);
    if (!parsed) {
        ShowKeyRefusal(program, "KEY 的格式不正确（应为 名称.类型名或十六进制类型代码）", newKey);
        return std::nullopt;
    }
    if (const std::string refusal = NewNameRefusal(parsed->fullName); !refusal.empty()) {
        ShowKeyRefusal(program, refusal, newKey);
        return std::nullopt;
    }
    ARCFileCls record = NewEntryRecord(parsed->fullName, parsed->code, types);
    if (const std::string refusal = ExportNameRefusal(record); !refusal.empty()) {
        ShowKeyRefusal(program, refusal, newKey);
        return std::nullopt;
    }
    const auto existing = keys.Of(record.ArcFileKey);
    if (existing && *existing != except) {
        ShowKeyRefusal(program, "档案中已有这个条目", record.ArcFileKey);
        return std::nullopt;
    }
    return record;
}

}  // namespace

std::optional<ARCFileCls> CheckNewKey(Program& program, const std::string& newKey, std::size_t except) {
    return CheckKeyWith(program, newKey, except, ExtTypeIndex(program.ExtTypes), KeyIndex(program.arc.ArcEntries));
}

bool AddEntry(Program& program, const std::string& key, const std::string& source) {
    return AddEntries(program, AddRequest{{{key, source}}});
}

bool AddEntries(Program& program, const AddRequest& request) {
    const auto& additions = request.additions;
    if (!ArchiveOpen(program)) return false;
    if (program.arc.ArcEntries.size() + additions.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
        program.ui.MsgBox("添加后条目数超过 32767，档案未作改动。", MsgIcon::Warning, kProgramTitle);
        return false;
    }
    std::set<std::string> newKeys;
    const ExtTypeIndex types(program.ExtTypes);
    const KeyIndex keys(program.arc.ArcEntries);
    std::vector<BinaryFile> sources(additions.size());
    std::string failedSource;  // the source whose reading failed during the rewrite
    RewritePlan plan;
    for (std::size_t i = 0; i < additions.size(); ++i) {
        const auto& [key, source] = additions[i];
        const auto record = CheckKeyWith(program, key, static_cast<std::size_t>(-1), types, keys);
        if (!record) return false;
        if (!newKeys.insert(record->ArcFileKey).second) {
            ShowKeyRefusal(program, "两个文件对应同一个对象", record->ArcFileKey);
            return false;
        }
        std::int64_t length = 0;
        try {
            sources[i] = BinaryFile::Open(source, OpenMode::ReadLocked);
            length = sources[i].Length();
            if (length >= kOrgSizeBias) throw SourceTooLarge{};
        } catch (...) {
            ShowSourceFailure(program, source, std::current_exception());
            return false;
        }
        // Each source is deflated on a thread of its own while the window stays
        // live, its progress shown; a stop ends the deflate after its block.
        plan.appended.push_back({*record, [&, i](BinaryFile& out) {
            try {
                BackgroundDeflate deflate(sources[i], out, kOrgSizeBias - 1);
                return static_cast<std::int32_t>(
                    deflate.Finish([&](std::int64_t read) { WhileSourceIsDeflated(program, read); }));
            } catch (const RewriteStopped&) {
                throw;
            } catch (const VbError&) {
                throw;  // writing the new archive failed, not reading the source
            } catch (...) {
                failedSource = additions[i].second;
                throw;
            }
        }, length});
    }
    if (!CheckArchiveCanBeRewritten(program)) return false;
    return Rewrite(program, plan, failedSource);
}

bool DeleteEntries(Program& program, const DeleteRequest& request) {
    if (!ArchiveOpen(program)) return false;
    RewritePlan plan;
    const KeyIndex indexOf(program.arc.ArcEntries);
    for (const std::string& key : request.keys) {
        const auto index = indexOf.Of(key);
        if (!index) {
            ShowKeyRefusal(program, kMissingText, key);
            return false;
        }
        plan.dropped.push_back(*index);
    }
    std::sort(plan.dropped.begin(), plan.dropped.end());
    plan.dropped.erase(std::unique(plan.dropped.begin(), plan.dropped.end()), plan.dropped.end());
    if (plan.dropped.empty()) return true;
    if (!CheckArchiveCanBeRewritten(program)) return false;
    return Rewrite(program, plan);
}

bool RenameEntry(Program& program, const std::string& key, const std::string& newKey) {
    return RenameEntries(program, RenameRequest{{{key, newKey}}});
}

bool RenameEntries(Program& program, const RenameRequest& request) {
    if (!ArchiveOpen(program)) return false;
    RewritePlan plan;
    std::set<std::string> newKeys;
    const ExtTypeIndex types(program.ExtTypes);
    const KeyIndex keys(program.arc.ArcEntries);
    for (const auto& [key, newKey] : request.renames) {
        const auto index = keys.Of(key);
        if (!index) {
            ShowKeyRefusal(program, kMissingText, key);
            return false;
        }
        const auto record = CheckKeyWith(program, newKey, *index, types, keys);
        if (!record) return false;
        if (!newKeys.insert(record->ArcFileKey).second) {
            ShowKeyRefusal(program, "两个条目不能改为同一个名称", record->ArcFileKey);
            return false;
        }
        if (record->ArcFileKey != key) plan.renamed.emplace_back(*index, *record);
    }
    if (plan.renamed.empty()) return true;  // nothing changes
    if (!CheckArchiveCanBeRewritten(program)) return false;
    std::sort(plan.renamed.begin(), plan.renamed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return Rewrite(program, plan);
}

}  // namespace tessarin
