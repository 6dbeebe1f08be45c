// tessarin-cli: the command-line companion of Tessarin, over the same core.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "cli/Console.h"
#include "cli/ConsoleWindow.h"
#include "cli/DiffVerbs.h"
#include "cli/EditVerbs.h"
#include "cli/Verbs.h"
#include "core/Version.h"
#include "core/platform/FileSystem.h"

namespace {

int RunVerb(int argc, char** argv) {
    tessarin::PreparePlatform();
    using namespace tessarin::cli;
    CLI::App app{"Tessarin command-line companion for ARC archives"};
    app.require_subcommand(1);
    // Global options, also accepted after the verb.
    app.fallthrough();
    app.set_version_flag("--version", std::string("tessarin-cli ") + tessarin::kVersionText);
    bool quiet = false;
    app.add_flag("-q,--quiet", quiet, "Show no progress on the terminal");

    ListOptions list;
    auto* listCmd = app.add_subcommand("list", "List the entries of an archive");
    listCmd->add_option("ARCHIVE", list.archive, "Archive to read")->required();
    listCmd->add_option("--types", list.typesFile, "Type table (default: ExtType.Dll beside the program)");
    listCmd->add_flag("--json", list.json, "Print one JSON object");

    ExtractOptions extract;
    auto* extractCmd = app.add_subcommand("extract", "Export entries (all of them when no KEY is given)");
    extractCmd->add_option("ARCHIVE", extract.archive, "Archive to read")->required();
    extractCmd->add_option("DEST", extract.dest, "Folder to write into")->required();
    extractCmd->add_option("KEY", extract.keys, "Entry keys (full name, '.', type code)");
    extractCmd->add_flag("--raw", extract.raw, "Save the stored data without inflating it");
    extractCmd->add_option("--types", extract.typesFile, "Type table (default: ExtType.Dll beside the program)");

    ReplaceOptions replace;
    auto* replaceCmd = app.add_subcommand("replace", "Replace an entry's data with a file");
    replaceCmd->add_option("ARCHIVE", replace.archive, "Archive to rewrite")->required();
    replaceCmd->add_option("KEY", replace.key, "Entry key (full name, '.', type code)")->required();
    replaceCmd->add_option("SOURCE", replace.source, "File whose bytes become the entry's data")->required();

    ImportOptions import;
    auto* importCmd = app.add_subcommand("import", "Put the files of an exported folder back, in one rewrite");
    importCmd->add_option("ARCHIVE", import.archive, "Archive to rewrite")->required();
    importCmd->add_option("FOLDER", import.folder, "Folder laid out as an inflated export writes it")->required();
    importCmd->add_option("--types", import.typesFile, "Type table (default: ExtType.Dll beside the program)");
    importCmd->add_flag("--dry-run", import.dryRun, "Only print what would be replaced");
    importCmd->add_flag("--check-all", import.checkAll, "Compare every file by content, ignoring the export record");
    importCmd->add_flag("--add", import.add, "Add the files that match no entry as new entries");

    EditVerbs edit(app);
    DiffVerbs diff(app);

    VerifyOptions verify;
    auto* verifyCmd = app.add_subcommand("verify", "Check every entry and the archive's layout");
    verifyCmd->add_option("ARCHIVE", verify.archive, "Archive to check")->required();

    // Arguments as program text on every platform; CLI11 takes them last first.
    tessarin::UseBinaryStandardStreams();
    std::vector<std::string> args = tessarin::CommandLineArguments(argc, argv);
    std::reverse(args.begin(), args.end());
    try {
        app.parse(args);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }

    ConsoleWindow::SetProgressShown(!quiet);
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
