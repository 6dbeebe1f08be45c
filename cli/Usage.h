#pragma once
// The companion's command line as command-line tools have it: help in the
// process's language with the program's name on the usage line, --help and
// --version on stdout (exit 0), and usage errors (exit 2) that name what was
// wrong and the closest verb or option.
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace tessarin::cli {

inline constexpr const char* kProgramName = "tessarin-cli";
inline constexpr int kUsageError = 2;

// The candidate closest to word, at most two edits away (a swap of two
// neighbouring letters counts as one); "" when none is that close.
std::string ClosestWord(const std::string& word, const std::vector<std::string>& candidates);

// Help labels and the help flag in the process's language; call before any
// option or verb is added, so that they inherit it.
void LocalizeHelp(CLI::App& app);

// Adds a verb under the help's verb heading.
CLI::App* AddVerb(CLI::App& app, const char* name, const std::string& help);

// Checks the first word that is not an option against the verbs before CLI11
// parses: 0 when it is one (or there is none), else kUsageError after a message.
int CheckVerbWord(const CLI::App& app, const std::vector<std::string>& args);

// What a parse failure makes of the process: help or version printed on
// stdout (0), or a usage error on stderr (kUsageError).
int ReportParseError(CLI::App& app, const CLI::ParseError& error);

}  // namespace tessarin::cli
