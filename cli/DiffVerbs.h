#pragma once
// The verbs that compare archives and carry changes between them: diff (with
// a patch archive of the differences on request) and merge (a patch archive
// put into an archive). Each registers itself with the command line.
#include <string>

namespace CLI {
class App;
}

namespace tessarin::cli {

class DiffVerbs {
public:
    explicit DiffVerbs(CLI::App& app);
    // The exit code of the verb that was given, or -1 when neither was.
    int Run() const;

private:
    struct Options {
        std::string archive, other, patch, typesFile;
        bool json = false;
        bool dryRun = false;
    };
    Options diff_, merge_;
    CLI::App* diffCmd_;
    CLI::App* mergeCmd_;
};

}  // namespace tessarin::cli
