// tessarin-cli: the command-line companion of Tessarin, over the same core.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "cli/Console.h"
#include "cli/ConsoleStreams.h"
#include "cli/ConsoleEvents.h"
#include "cli/DiffVerbs.h"
#include "cli/EditVerbs.h"
#include "cli/Usage.h"
#include "cli/Verbs.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/Version.h"
#include "core/platform/FileSystem.h"

namespace {

// One verb is required; the global options are also accepted after it.
void AddGlobalOptions(CLI::App& app, bool& quiet) {
    using namespace tessarin;
    using namespace tessarin::cli;
    LocalizeHelp(app);
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string(kProgramName) + " " + kVersionText, Text(Msg::HelpVersion));
    app.add_flag("-q,--quiet", quiet, Text(Msg::HelpQuiet));
#ifdef _WIN32
    app.footer("Text goes to a console as UTF-16, so it reads right whatever the code page;\n"
               "redirected to a file or a pipe, it is written as UTF-8.");
#endif
}

int RunVerb(int argc, char** argv) {
    tessarin::PreparePlatform();
    using namespace tessarin;
    using namespace tessarin::cli;
    // Messages, help and progress in the language of the locale; the texts the
    // shared commands show name the file and the cause.
    SetMessageLanguage(LanguageFromEnvironment());
    UseCompanionMessages();

    CLI::App app{Text(Msg::HelpProgram), kProgramName};
    bool quiet = false;
    AddGlobalOptions(app, quiet);

    ListOptions list;
    auto* listCmd = AddVerb(app, "list", Text(Msg::VerbList));
    listCmd->add_option("ARCHIVE", list.archive, Text(Msg::HelpArchiveRead))->required();
    listCmd->add_option("--types", list.typesFile, Text(Msg::HelpTypes));
    auto* json = listCmd->add_flag("--json", list.json, Text(Msg::HelpJson));
    listCmd->add_flag("--keys", list.keys, Text(Msg::HelpListKeys))->excludes(json);

    ExtractOptions extract;
    auto* extractCmd = AddVerb(app, "extract", Text(Msg::VerbExtract));
    extractCmd->add_option("ARCHIVE", extract.archive, Text(Msg::HelpArchiveRead))->required();
    extractCmd->add_option("DEST", extract.dest, Text(Msg::HelpDest))->required();
    extractCmd->add_option("KEY", extract.keys, Text(Msg::HelpKeys));
    extractCmd->add_flag("--raw", extract.raw, Text(Msg::HelpRaw));
    extractCmd->add_option("--types", extract.typesFile, Text(Msg::HelpTypes));

    ReplaceOptions replace;
    auto* replaceCmd = AddVerb(app, "replace", Text(Msg::VerbReplace));
    replaceCmd->add_option("ARCHIVE", replace.archive, Text(Msg::HelpArchiveRewrite))->required();
    replaceCmd->add_option("KEY", replace.key, Text(Msg::HelpKey))->required();
    replaceCmd->add_option("SOURCE", replace.source, Text(Msg::HelpSource))->required();

    ImportOptions import;
    auto* importCmd = AddVerb(app, "import", Text(Msg::VerbImport));
    importCmd->add_option("ARCHIVE", import.archive, Text(Msg::HelpArchiveRewrite))->required();
    importCmd->add_option("FOLDER", import.folder, Text(Msg::HelpImportFolder))->required();
    importCmd->add_option("--types", import.typesFile, Text(Msg::HelpTypes));
    importCmd->add_flag("--dry-run", import.dryRun, Text(Msg::HelpDryRun));
    importCmd->add_flag("--check-all", import.checkAll, Text(Msg::HelpCheckAll));
    importCmd->add_flag("--add", import.add, Text(Msg::HelpAdd));

    EditVerbs edit(app);
    DiffVerbs diff(app);

    VerifyOptions verify;
    auto* verifyCmd = AddVerb(app, "verify", Text(Msg::VerbVerify));
    verifyCmd->add_option("ARCHIVE", verify.archive, Text(Msg::HelpArchiveCheck))->required();

    // Arguments as program text on every platform; CLI11 takes them last first.
    UseBinaryStandardStreams();
    RouteStandardStreamsToConsole();
    std::vector<std::string> args = CommandLineArguments(argc, argv);
    if (const int code = CheckVerbWord(app, args); code != 0) return code;
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        return ReportParseError(app, e);
    }

    ConsoleEvents::SetQuiet(quiet);
    if (*listCmd) return RunList(list);
    if (*extractCmd) return RunExtract(extract);
    if (*replaceCmd) return RunReplace(replace);
    if (*importCmd) return RunImport(import);
    if (*verifyCmd) return RunVerify(verify);
    if (const int code = edit.Run(); code >= 0) return code;
    if (const int code = diff.Run(); code >= 0) return code;
    return 1;
}

}  // namespace

int main(int argc, char** argv) { return tessarin::cli::FinishOutput(RunVerb(argc, argv)); }
