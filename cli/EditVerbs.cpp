// tessarin-cli create, add, delete, rename and cat: the editing commands with
// the arguments as the answers a user would give; messages on stderr.
#include "cli/EditVerbs.h"

#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/Console.h"
#include "cli/ConsoleEvents.h"
#include "cli/StdinSource.h"
#include "cli/Usage.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/Cp936.h"
#include "core/platform/VbError.h"
#include "edit/CreateArchive.h"
#include "edit/EditEntries.h"
#include "extract/EntrySource.h"

namespace tessarin::cli {

namespace {

int RunCreate(const std::string& archive, const std::string& folder, const std::string& typesFile) {
    ConsoleEvents events;
    Program program(events);
    if (!LoadTypeTable(typesFile, program.ExtTypes)) return 1;
    CreatePlan plan;
    if (!PlanCreate(program, NativeToText(folder), plan)) return 1;
    for (const std::string& file : plan.skipped) PrintError(Say(Msg::NotRegularSkipped, {file}));
    return WriteNewArchive(program, plan, NativeToText(archive)) ? 0 : 1;
}

// Runs command on the archive, opened as the window opens it.
template <typename Command>
int OnArchive(const std::string& archive, Command command) {
    ConsoleEvents events;
    Program program(events);
    // The type table only names the entries; a missing one is no failure.
    LoadExtTypes(program.ExtTypes);
    if (!OpenArchive(program, events, NativeToText(archive))) return 1;
    return command(program, events) ? 0 : 1;
}

// Writes bytes to stdout as they come.
class StdoutSink : public ByteSink {
public:
    void Put(const std::uint8_t* bytes, std::size_t n) override {
        if (std::fwrite(bytes, 1, n, stdout) != n) throw VbError(vberr::DeviceIO);
    }
};

bool CatEntry(Program& program, MessageSink& events, const std::string& key, bool raw) {
    const ARCFileCls* entry = FindEntryByKey(program.arc.ArcEntries, key);
    if (entry == nullptr) {
        events.MsgBox(Say(Msg::NoSuchEntry, {key}), MsgIcon::Stop, kProgramTitle);
        return false;
    }
    BinaryFile& archive = program.files.Get(program.arc.ArcFileNum);
    StdoutSink out;
    try {
        if (const auto problem = CheckDataInArchive(archive.Length(), entry->ArcFileOFSET, entry->ArcFileZipSize))
            throw ArchiveReadFailure{*problem};
        archive.Seek(entry->ArcFileOFSET);
        ArchiveSource source(archive);
        if (raw) {
            source.CopyTo(out, entry->ArcFileZipSize);
        } else if (const InflateResult result =
                       InflateStream(source, entry->ArcFileZipSize, entry->ArcFileOrgSize, out);
                   !result.ok()) {
            ShowInflateFailure(events, result.code);
            return false;
        }
    } catch (const ArchiveReadFailure& failure) {
        events.MsgBox(FileFailureText("无法读取档案：", program.arc.OpenArcPath, failure.error), MsgIcon::Stop,
                      kProgramTitle);
        return false;
    } catch (const VbError& error) {
        events.MsgBox(Say(Msg::StdoutWriteFailed, {CauseText(error.number(), error.description())}), MsgIcon::Stop,
                      kProgramTitle);
        return false;
    }
    return std::fflush(stdout) == 0;
}

// A verb whose first argument is the archive it works on.
CLI::App* AddArchiveVerb(CLI::App& app, const char* name, Msg help, std::string& archive,
                         Msg archiveHelp = Msg::HelpArchiveRewrite) {
    CLI::App* verb = AddVerb(app, name, Text(help));
    verb->add_option("ARCHIVE", archive, Text(archiveHelp))->required();
    return verb;
}

}  // namespace

EditVerbs::EditVerbs(CLI::App& app) {
    createCmd_ = AddArchiveVerb(app, "create", Msg::VerbCreate, create_.archive, Msg::HelpArchiveNew);
    createCmd_->add_option("FOLDER", create_.folder, Text(Msg::HelpCreateFolder))->required();
    createCmd_->add_option("--types", create_.typesFile, Text(Msg::HelpTypes));

    addCmd_ = AddArchiveVerb(app, "add", Msg::VerbAdd, add_.archive);
    addCmd_->add_option("KEY", add_.key, Text(Msg::HelpKey))->required();
    addCmd_->add_option("SOURCE", add_.source, Text(Msg::HelpSource))->required();

    deleteCmd_ = AddArchiveVerb(app, "delete", Msg::VerbDelete, delete_.archive);
    deleteCmd_->add_option("KEY", delete_.keys, Text(Msg::HelpKeys))->required();

    renameCmd_ = AddArchiveVerb(app, "rename", Msg::VerbRename, rename_.archive);
    renameCmd_->add_option("KEY", rename_.key, Text(Msg::HelpKey))->required();
    renameCmd_->add_option("NEWKEY", rename_.newKey, Text(Msg::HelpNewKey))->required();

    catCmd_ = AddArchiveVerb(app, "cat", Msg::VerbCat, cat_.archive, Msg::HelpArchiveRead);
    catCmd_->add_option("KEY", cat_.key, Text(Msg::HelpKey))->required();
    catCmd_->add_flag("--raw", cat_.raw, Text(Msg::HelpRawCat));
}

int EditVerbs::Run() const {
    if (*createCmd_) return RunCreate(create_.archive, create_.folder, create_.typesFile);
    if (*addCmd_) {
        const StdinSource source(NativeToText(add_.source));
        if (!source.Ready()) return 1;
        return OnArchive(add_.archive,
                         [&](Program& p, MessageSink&) {
                             return AddEntries(p, AddRequest{{{NativeToText(add_.key), source.Path()}}});
                         });
    }
    if (*deleteCmd_)
        return OnArchive(delete_.archive, [&](Program& p, MessageSink&) {
            DeleteRequest request;
            for (const std::string& key : delete_.keys) request.keys.push_back(NativeToText(key));
            return DeleteEntries(p, request);
        });
    if (*renameCmd_)
        return OnArchive(rename_.archive, [&](Program& p, MessageSink&) {
            return RenameEntries(p, RenameRequest{{{NativeToText(rename_.key), NativeToText(rename_.newKey)}}});
        });
    if (*catCmd_)
        return OnArchive(cat_.archive, [&](Program& p, MessageSink& events) {
            return CatEntry(p, events, NativeToText(cat_.key), cat_.raw);
        });
    return -1;
}

}  // namespace tessarin::cli
