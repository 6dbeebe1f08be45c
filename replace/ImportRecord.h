#pragma once
// The export record as an import uses it. A record is trusted only when it
// names the archive as it stands (path and stamp): then a file whose stamp is
// the one recorded for its entry's key still holds that entry's inflated data
// and is not read. After a rewrite the record is written anew for the archive
// as it now stands, with every file known to hold its entry's data.
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/platform/FileStamp.h"
#include "state/Program.h"

namespace tessarin {

class ImportRecord {
public:
    // Reads folder's record and decides whether to trust it; with checkAll
    // nothing is trusted (every file is compared by content).
    void Load(Program& program, const std::string& folder, bool checkAll);

    bool Trusted() const { return trusted_; }

    // True when the file at relative below folder has the stamp recorded for
    // key; the file is then not read, and stays in the record. listed: the
    // stamp the folder's walk saw, when it had one (else it is looked up).
    bool Unchanged(const std::string& key, const std::string& relative,
                   const std::optional<FileStamp>& listed = std::nullopt);

    // A file found to hold key's data, or put into the archive as key's data,
    // with its stamp taken before it was read (nullopt: left out of the record).
    void Holds(const std::string& key, const std::optional<FileStamp>& stamp);

    // After the archive was rewritten: the record for the archive as it now
    // stands. A record that cannot be written is left out; an old one then no
    // longer matches the archive and is not trusted.
    void Save(Program& program) const;

private:
    std::string folder_;
    bool trusted_ = false;
    std::int64_t writtenAt_ = 0;
    std::unordered_map<std::string, FileStamp> recorded_;
    std::map<std::string, FileStamp> holds_;
};

}  // namespace tessarin
