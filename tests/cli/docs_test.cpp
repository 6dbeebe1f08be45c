// The man page against what --help shows, and the bash completion's answers,
// asked of bash itself with the completion loaded.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/CliRunner.h"

namespace tessarin::testing {
namespace {

#ifndef _WIN32
// What a help text lists: verbs (its subcommands) and options, short and long.
struct HelpItems {
    std::vector<std::string> verbs, options;
};

HelpItems ParseHelp(const std::string& help) {
    HelpItems items;
    std::istringstream lines(help);
    std::string section;
    for (std::string line, first; std::getline(lines, line);) {
        if (!line.empty() && line[0] != ' ') section = line;
        if (line.empty() || line[0] != ' ' || !(std::istringstream(line) >> first)) continue;
        if (section == "命令:" || section == "Verbs:") items.verbs.push_back(first);
        std::istringstream names(first);
        for (std::string name; (section == "选项:" || section == "Options:") && std::getline(names, name, ',');)
            if (name.size() > 1 && name[0] == '-') items.options.push_back(name);
    }
    return items;
}

// The man page's text with roff's font changes removed and its hyphen and backslash escapes undone.
std::string ManText(const std::string& page) {
    std::string text = ReadFileBytes(std::string(TESSARIN_SOURCE_DIR) + "/docs/" + page);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"\\fB", ""}, {"\\fI", ""}, {"\\fR", ""},
                                   {"\\fP", ""}, {"\\-", "-"}, {"\\e", "\\"}})
        for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
            text.replace(at, from.size(), to);
    return text;
}

TEST(ManPageTest, EveryVerbAndOptionOfTheHelpIsDocumented) {
    TempDir dir;
    const CliRun top = Cli("--help", dir);
    ASSERT_EQ(top.exitCode, 0) << top.err;
    const HelpItems program = ParseHelp(top.out);
    ASSERT_GE(program.verbs.size(), 5u) << top.out;
    const std::string man = ManText("tessarin-cli.1");
    const std::size_t options = man.find("\n.SH OPTIONS");
    const std::string optionsSection = man.substr(options, man.find("\n.SH", options + 1) - options);
    for (const std::string& option : program.options)
        EXPECT_NE(optionsSection.find(option), std::string::npos) << option << " is not an entry of OPTIONS";
    for (const std::string& verb : program.verbs) {
        SCOPED_TRACE(verb);
        EXPECT_NE(man.find("\n.B " + verb + "\n"), std::string::npos) << "not in the synopsis";
        EXPECT_NE(man.find("\n.BI " + verb + " "), std::string::npos) << "not an entry of VERBS";
        const CliRun help = Cli(verb + " --help", dir);
        ASSERT_EQ(help.exitCode, 0) << help.err;
        // Each option of the verb in its entry, which ends where the next verb's
        // begins (an option's entry begins with "-").
        const std::size_t entry = man.find("\n.BI " + verb + " ");
        std::size_t entryEnd = entry;
        do entryEnd = man.find("\n.TP\n.BI ", entryEnd + 1);
        while (entryEnd != std::string::npos && man[entryEnd + 9] == '-');
        const std::string section = man.substr(entry, entryEnd - entry);
        for (const std::string& option : ParseHelp(help.out).options) {
            if (option == "-h" || option == "--help" || option == "-q" || option == "--quiet") continue;  // global
            EXPECT_NE(section.find(option), std::string::npos) << option << " not described";
        }
    }
}

// COMPREPLY of the completion for these words, the last one being completed.
std::vector<std::string> Complete(const std::vector<std::string>& words, const TempDir& dir) {
    // bash-completion's helpers first, as an interactive shell has them.
    std::string script = "source /usr/share/bash-completion/bash_completion 2>/dev/null\nsource " +
                         Q(std::string(TESSARIN_SOURCE_DIR) + "/resources/completion/tessarin-cli") +
                         "\nCOMP_WORDS=(" + Q(CliProgram());
    for (const std::string& w : words) {
        std::string quoted;
        for (char c : w) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        script += " '" + quoted + "'";
    }
    script += ")\nCOMP_CWORD=" + std::to_string(words.size()) + "\n_tessarin_cli\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n";
    WriteFileBytes(dir / "complete.sh", script);
    std::vector<std::string> replies;
    std::istringstream lines(RunShell("bash " + Q(dir / "complete.sh"), TempDir()).out);  // stderr elsewhere
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) replies.push_back(line);
    std::sort(replies.begin(), replies.end());
    return replies;
}

TEST(CompletionTest, VerbsOptionsFilesFoldersAndKeys) {
    TempDir dir;
    const std::string d = dir.path();
    WriteFileBytes(dir / "pack.ARC", BuildArc(Archive({Entry("ui\\logo", 0x1A, "l"), Entry("ui\\deep\\doc", 0x20, "d"),
                                                    Entry("\xCA\xFD\xBE\xDD\\\xB1\xED", 0x77, "z")})));  // 数据\表
    WriteFileBytes(dir / "sum.txt", "");
    CreateDirectories(dir / "sub");
    const struct {
        const char* label;
        std::vector<std::string> words;
        std::vector<std::string> replies;
    } rows[] = {
        {"verb", {"ex"}, {"extract"}},
        {"global option", {"--q"}, {"--quiet"}},
        {"verb option", {"import", "a", "b", "--d"}, {"--dry-run"}},
        {"archive: files and folders", {"extract", d + "/s"}, {d + "/sub", d + "/sum.txt"}},
        {"destination: folders only", {"extract", d + "/pack.ARC", d + "/s"}, {d + "/sub"}},
        {"keys after the destination, options skipped", {"extract", "--raw", d + "/pack.ARC", d, "u"},
         {"ui\\\\deep\\\\doc.20", "ui\\\\logo.1A"}},
        {"key typed with doubled backslashes", {"replace", d + "/pack.ARC", "ui\\\\l"}, {"ui\\\\logo.1A"}},
        {"inside single quotes, as it is", {"cat", d + "/pack.ARC", "'ui\\lo"}, {"ui\\logo.1A"}},
        {"inside double quotes, backslashes escaped", {"cat", d + "/pack.ARC", "\"ui\\\\d"}, {"ui\\\\deep\\\\doc.20"}},
        {"quoted archive, every key", {"delete", "'" + d + "/pack.ARC'", ""},
         {"ui\\\\deep\\\\doc.20", "ui\\\\logo.1A", "数据\\\\表.77"}},
        {"nothing after verify's archive", {"verify", d + "/pack.ARC", ""}, {}},
        {"keys of a missing archive: none", {"cat", d + "/none.ARC", ""}, {}},
    };
    for (const auto& row : rows) EXPECT_EQ(Complete(row.words, dir), row.replies) << row.label;
}
#endif

}  // namespace
}  // namespace tessarin::testing
