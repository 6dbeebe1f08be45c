#include "edit/FileEntries.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "core/ArcFormat.h"
#include "core/ArcState.h"
#include "core/EntryNames.h"
#include "core/platform/Cp936.h"
#include "edit/NewKeys.h"
#include "extract/ExportPaths.h"

#include "core/AsciiCase.h"

namespace tessarin {

std::optional<std::int32_t> TypeCodeOfExtension(const std::string& extension, const ExtTypeTable& table) {
    for (const ExtTypeCls& row : table) {
        if (!SameIgnoringAsciiCase(row.ClassExttype, extension)) continue;
        const auto code = ParseTypeCodeHex(row.ClassExtkey);
        if (code && TypeCodeHex(*code) == row.ClassExtkey) return code;
    }
    return ParseTypeCodeHex(extension);
}

std::optional<FileEntry> EntryOfFile(const std::string& relative, const ExtTypeTable& table,
                                     const ExtTypeIndex& types, std::string& refusal) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = relative.find('/', start);
        parts.push_back(relative.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    for (const std::string& part : parts) {
        if (!IsSafeExportName(part)) {
            refusal = "文件名不是导出会写出的名称";
            return std::nullopt;
        }
    }
    const std::string& last = parts.back();
    const auto dot = last.rfind('.');
    const std::optional<std::int32_t> code =
        dot == std::string::npos ? std::nullopt : TypeCodeOfExtension(last.substr(dot + 1), table);
    if (!code) {
        refusal = "没有可用的扩展名（类型表中的类型名或 1 到 8 位十六进制类型代码）";
        return std::nullopt;
    }
    std::string fullName;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) fullName += parts[i] + "\\";
    fullName += last.substr(0, dot);
    refusal = NewNameRefusal(fullName);
    if (!refusal.empty()) return std::nullopt;
    ARCFileCls record = NewEntryRecord(fullName, *code, types);
    refusal = ExportNameRefusal(record);
    if (!refusal.empty()) return std::nullopt;
    return FileEntry{relative, std::move(record.ArcFileKey), *code};
}

ARCFileCls RecordOf(const FileEntry& entry, const ExtTypeIndex& types) {
    return NewEntryRecord(FullNameOfKey(entry.key), entry.code, types);
}

FileEntryList EntriesOfFiles(const std::vector<std::string>& files, const ExtTypeTable& table) {
    const ExtTypeIndex types(table);
    FileEntryList list;
    // Reserved, so the keys the index views stay where they are.
    list.entries.reserve(files.size());
    std::unordered_map<std::string_view, std::size_t> entryOfKey;
    for (const std::string& file : files) {
        std::string refusal;
        auto entry = EntryOfFile(file, table, types, refusal);
        if (!entry) {
            list.refusals.push_back(refusal + "：" + file);
            continue;
        }
        if (const auto it = entryOfKey.find(entry->key); it != entryOfKey.end()) {
            list.refusals.push_back("两个文件对应同一个对象，KEY：" + entry->key + "（" +
                                    list.entries[it->second].file + "，" + file + "）");
            continue;
        }
        list.entries.push_back(std::move(*entry));
        entryOfKey.emplace(list.entries.back().key, list.entries.size() - 1);
    }
    return list;
}

void SortForNewArchive(std::vector<FileEntry>& entries) {
    struct Keyed {
        std::string bytes;
        std::uint32_t code;
        std::size_t index;
    };
    std::vector<Keyed> keys;
    keys.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        keys.push_back({TextToCp936(FullNameOfKey(entries[i].key)), static_cast<std::uint32_t>(entries[i].code), i});
    }
    std::sort(keys.begin(), keys.end(), [](const Keyed& a, const Keyed& b) {
        // Bytes compared as unsigned, the same on every platform.
        const int c = std::string_view(a.bytes).compare(b.bytes);
        return c != 0 ? c < 0 : a.code < b.code;
    });
    // Put in that order in place, cycle by cycle, so the entries are never held twice.
    std::vector<std::size_t> from(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) from[i] = keys[i].index;
    keys = {};
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (from[i] == i) continue;
        FileEntry first = std::move(entries[i]);
        std::size_t j = i;
        while (from[j] != i) {
            entries[j] = std::move(entries[from[j]]);
            const std::size_t next = from[j];
            from[j] = j;
            j = next;
        }
        entries[j] = std::move(first);
        from[j] = j;
    }
}

}  // namespace tessarin
