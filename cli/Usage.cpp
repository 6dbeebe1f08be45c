#include "cli/Usage.h"

#include <CLI/CLI.hpp>

#include <algorithm>

#include "cli/Console.h"
#include "core/MessageTable.h"

namespace tessarin::cli {

namespace {

// Edits between a and b: insertions, deletions, substitutions and swaps of
// neighbouring characters (optimal string alignment).
std::size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

std::vector<std::string> VerbNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::App* verb : app.get_subcommands([](const CLI::App*) { return true; }))
        names.push_back(verb->get_name());
    return names;
}

std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* option : app.get_options()) {
        for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
        for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
    return names;
}

std::string WithSuggestion(std::string message, const std::string& word, const std::vector<std::string>& names) {
    const std::string closest = ClosestWord(word, names);
    if (!closest.empty()) message += Say(Msg::DidYouMean, {closest});
    return message;
}

int UsageError(const std::string& message, const CLI::App* verb) {
    PrintError(std::string(kProgramName) + ": " + message);
    std::string help = kProgramName;
    if (verb != nullptr) help += " " + verb->get_name();
    PrintError(Say(Msg::SeeHelp, {help + " --help"}));
    return kUsageError;
}

// The words CLI11 could not place, for the verb and the program alike.
std::string FirstUnplaced(const CLI::App& app, const CLI::App* verb) {
    for (const CLI::App* at : {verb, &app}) {
        if (at == nullptr) continue;
        const std::vector<std::string> rest = at->remaining();
        if (!rest.empty()) return rest.front();
    }
    return "";
}

std::string UsageMessage(const CLI::App& app, const CLI::App* verb, const CLI::ParseError& error) {
    std::vector<std::string> verbs = VerbNames(app);
    std::string verbList;
    for (const std::string& name : verbs) verbList += (verbList.empty() ? "" : ", ") + name;
    if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
        if (verb == nullptr) return Say(Msg::NoVerb, {verbList});
        for (const CLI::Option* option : verb->get_options())
            if (option->get_required() && option->count() == 0) return Say(Msg::MissingArgument, {option->get_name()});
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        const std::string what = error.what();
        return Say(Msg::MissingArgument, {what.substr(0, what.find(':'))});
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::string word = FirstUnplaced(app, verb);
        if (!word.empty() && word[0] == '-') {
            std::vector<std::string> options = OptionNames(app);
            if (verb != nullptr) {
                const std::vector<std::string> own = OptionNames(*verb);
                options.insert(options.end(), own.begin(), own.end());
            }
            return WithSuggestion(Say(Msg::UnknownOption, {word}), word, options);
        }
        if (verb == nullptr) return WithSuggestion(Say(Msg::UnknownVerb, {word}), word, verbs);
        return Say(Msg::ExtraArgument, {word});
    }
    return Say(Msg::BadValue, {error.what()});
}

}  // namespace

std::string ClosestWord(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = 3;
    for (const std::string& candidate : candidates) {
        const std::size_t distance = EditDistance(word, candidate);
        if (distance < bestDistance && distance < candidate.size()) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

void LocalizeHelp(CLI::App& app) {
    const auto formatter = app.get_formatter();
    formatter->label("Usage", Text(Msg::HelpUsage));
    formatter->label("OPTIONS", Text(Msg::HelpOptionsBadge));
    formatter->label("SUBCOMMAND", Text(Msg::HelpVerbBadge));
    formatter->label("SUBCOMMANDS", Text(Msg::HelpVerbBadge));
    formatter->label("Positionals", Text(Msg::HelpArguments));
    formatter->label("REQUIRED", Text(Msg::HelpRequired));
    formatter->label("Excludes", Text(Msg::HelpExcludes));
    app.option_defaults()->group(Text(Msg::HelpOptions));
    app.set_help_flag("-h,--help", Text(Msg::HelpHelp));
}

CLI::App* AddVerb(CLI::App& app, const char* name, const std::string& help) {
    CLI::App* verb = app.add_subcommand(name, help);
    verb->group(Text(Msg::HelpVerbs));
    return verb;
}

int CheckVerbWord(const CLI::App& app, const std::vector<std::string>& args) {
    for (const std::string& word : args) {
        if (word == "--") break;
        if (!word.empty() && word[0] == '-') continue;
        const std::vector<std::string> verbs = VerbNames(app);
        if (std::find(verbs.begin(), verbs.end(), word) != verbs.end()) return 0;
        return UsageError(WithSuggestion(Say(Msg::UnknownVerb, {word}), word, verbs), nullptr);
    }
    return 0;
}

int ReportParseError(CLI::App& app, const CLI::ParseError& error) {
    if (dynamic_cast<const CLI::CallForHelp*>(&error) != nullptr ||
        dynamic_cast<const CLI::CallForAllHelp*>(&error) != nullptr ||
        dynamic_cast<const CLI::CallForVersion*>(&error) != nullptr)
        return app.exit(error, std::cout, std::cerr);
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    const CLI::App* verb = chosen.empty() ? nullptr : chosen.front();
    return UsageError(UsageMessage(app, verb, error), verb);
}

}  // namespace tessarin::cli
