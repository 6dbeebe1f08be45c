// tessarin-cli diff and merge. diff prints one line per difference ("+KEY"
// only in B, "-KEY" only in A, "~KEY" changed, "!KEY" damaged) or a JSON list,
// and exits as diff and cmp do: 0 the same, 1 different, 2 trouble. merge
// prints like import: the replaced keys, then the added ones as "+KEY".
#include "cli/DiffVerbs.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/Listing.h"
#include "core/platform/Cp936.h"
#include "edit/MergePatch.h"
#include "edit/PatchArchive.h"
#include "extract/ArchiveCompare.h"
#include "replace/Replace.h"

namespace tessarin::cli {

namespace {

// The texts these verbs print of their own.
namespace text {
constexpr const char* kDamagedIn = "条目已损坏（";
constexpr const char* kDamagedAfter = "）：";
}  // namespace text

constexpr int kSame = 0, kDifferent = 1, kTrouble = 2;

const char* ChangeName(EntryChange change) {
    switch (change) {
        case EntryChange::Added: return "added";
        case EntryChange::Removed: return "removed";
        case EntryChange::Changed: return "changed";
        case EntryChange::Damaged: break;
    }
    return "damaged";
}

char ChangeMark(EntryChange change) {
    switch (change) {
        case EntryChange::Added: return '+';
        case EntryChange::Removed: return '-';
        case EntryChange::Changed: return '~';
        case EntryChange::Damaged: break;
    }
    return '!';
}

void AppendSize(std::string& out, const char* name, const ArcEntryList& entries, std::size_t index,
                bool stored) {
    out += std::string(",\"") + name + "\":";
    if (index == kNoEntry) {
        out += "null";
        return;
    }
    const ARCFileCls& entry = entries[index];
    out += std::to_string(stored ? entry.ArcFileZipSize : entry.ArcFileOrgSize);
}

void PrintJson(OutputBuffer& out, const ArchiveComparison& comparison, const ArcEntryList& a, const ArcEntryList& b) {
    std::string& text = out.Text();
    text += '[';
    bool first = true;
    for (const EntryDifference& d : comparison.differences) {
        text += first ? "\n" : ",\n";
        first = false;
        text += "{\"key\":";
        AppendJsonString(text, d.key);
        text += std::string(",\"change\":\"") + ChangeName(d.change) + "\"";
        AppendSize(text, "sizeA", a, d.indexA, false);
        AppendSize(text, "sizeB", b, d.indexB, false);
        AppendSize(text, "storedSizeA", a, d.indexA, true);
        AppendSize(text, "storedSizeB", b, d.indexB, true);
        if (d.change == EntryChange::Damaged) {
            text += ",\"damageA\":";
            AppendJsonString(text, d.damageA);
            text += ",\"damageB\":";
            AppendJsonString(text, d.damageB);
        }
        text += '}';
        out.MaybeFlush();
    }
    text += "\n]\n";
}

// Each damaged entry on stderr, with the archive it is damaged in.
void ReportDamage(const ArchiveComparison& comparison, const std::string& pathA, const std::string& pathB) {
    for (const EntryDifference& d : comparison.differences) {
        if (!d.damageA.empty())
            PrintError(text::kDamagedIn + pathA + text::kDamagedAfter + d.damageA + "，KEY：" + d.key);
        if (!d.damageB.empty())
            PrintError(text::kDamagedIn + pathB + text::kDamagedAfter + d.damageB + "，KEY：" + d.key);
    }
}

std::optional<ReadOnlyArchive> OpenOrSay(const std::string& path, const ExtTypeTable& types) {
    std::string failure;
    auto archive = OpenReadOnlyArchive(path, types, failure);
    if (!archive) PrintError(failure);
    return archive;
}

int RunDiff(const std::string& pathA, const std::string& pathB, const std::string& patch,
            const std::string& typesFile, bool json) {
    ExtTypeTable types;
    if (!LoadTypeTable(typesFile, types)) return kTrouble;
    auto a = OpenOrSay(NativeToText(pathA), types);
    if (!a) return kTrouble;
    auto b = OpenOrSay(NativeToText(pathB), types);
    if (!b) return kTrouble;
    CompareOptions options;
    options.checkAdded = !patch.empty();
    const ArchiveComparison comparison = CompareArchives({a->file, a->entries}, {b->file, b->entries}, options);
    {
        OutputBuffer out(stdout);
        if (json) {
            PrintJson(out, comparison, a->entries, b->entries);
        } else {
            for (const EntryDifference& d : comparison.differences) {
                out.Text() += ChangeMark(d.change) + TextToNative(d.key) + "\n";
                out.MaybeFlush();
            }
        }
    }
    ReportDamage(comparison, NativeToText(pathA), NativeToText(pathB));
    if (!patch.empty()) {
        ConsoleEvents events;
        Program program(events);
        if (!WritePatchArchive(program, {b->file, b->entries}, comparison, NativeToText(patch))) return kTrouble;
    }
    if (comparison.HasDamage()) return kTrouble;
    return comparison.differences.empty() ? kSame : kDifferent;
}

int RunMerge(const std::string& archive, const std::string& patch, bool dryRun) {
    ConsoleEvents events;
    Program program(events);
    LoadExtTypes(program.ExtTypes);  // the table only names the entries
    // The patch is matched with the archive's records: no tree is built.
    if (!OpenArchive(program, events, NativeToText(archive), OpenTree::RootOnly)) return 1;
    MergePlan plan;
    if (!PlanMerge(program, NativeToText(patch), plan)) return 1;
    // A dry run refuses whatever the real run would refuse before writing.
    if (dryRun ? !CheckArchiveCanBeRewritten(program) : !ApplyMerge(program, plan)) return 1;
    std::string lines;
    for (const auto& [index, p] : plan.replaced) lines += TextToNative(plan.patchEntries[p].ArcFileKey) + "\n";
    for (const std::size_t p : plan.added) lines += "+" + TextToNative(plan.patchEntries[p].ArcFileKey) + "\n";
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    return 0;
}

}  // namespace

DiffVerbs::DiffVerbs(CLI::App& app) {
    diffCmd_ = app.add_subcommand("diff", "List the entries B adds, removes and changes against A (exit 0 same, 1 different, 2 trouble)");
    diffCmd_->add_option("A", diff_.archive, "The archive compared from")->required();
    diffCmd_->add_option("B", diff_.other, "The archive compared with")->required();
    diffCmd_->add_flag("--json", diff_.json, "Print one JSON list");
    diffCmd_->add_option("--patch", diff_.patch, "Also write a new archive of B's added and changed entries");
    diffCmd_->add_option("--types", diff_.typesFile, "Type table (default: ExtType.Dll beside the program)");

    mergeCmd_ = app.add_subcommand("merge", "Put every entry of a patch archive into the archive, in one rewrite");
    mergeCmd_->add_option("ARCHIVE", merge_.archive, "Archive to rewrite")->required();
    mergeCmd_->add_option("PATCH", merge_.patch, "Patch archive (as diff --patch writes it)")->required();
    mergeCmd_->add_flag("--dry-run", merge_.dryRun, "Only print what would be replaced and added");
}

int DiffVerbs::Run() const {
    if (*diffCmd_) return RunDiff(diff_.archive, diff_.other, diff_.patch, diff_.typesFile, diff_.json);
    if (*mergeCmd_) return RunMerge(merge_.archive, merge_.patch, merge_.dryRun);
    return -1;
}

}  // namespace tessarin::cli
