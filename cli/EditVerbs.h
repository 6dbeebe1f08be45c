#pragma once
// The verbs that build and edit archives: create, add, delete, rename, and cat
// to read one entry. Each registers itself with the command line.
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace tessarin::cli {

class EditVerbs {
public:
    explicit EditVerbs(CLI::App& app);
    // The exit code of the verb that was given, or -1 when none of these was.
    int Run() const;

private:
    struct Options {
        std::string archive, folder, typesFile, key, newKey, source;
        std::vector<std::string> keys;
        bool raw = false;
    };
    Options create_, add_, delete_, rename_, cat_;
    CLI::App* createCmd_;
    CLI::App* addCmd_;
    CLI::App* deleteCmd_;
    CLI::App* renameCmd_;
    CLI::App* catCmd_;
};

}  // namespace tessarin::cli
