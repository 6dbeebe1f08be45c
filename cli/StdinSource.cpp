#include "cli/StdinSource.h"

#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "cli/Console.h"
#include "core/MessageTable.h"
#include "core/MessageTexts.h"
#include "core/platform/BinaryFile.h"
#include "core/platform/FileSystem.h"
#include "core/platform/VbError.h"

namespace tessarin::cli {

namespace {

constexpr std::int64_t kLargestCopy = (std::int64_t{1} << 30) + 1;

// A new file only this user may read, under a name no other run takes.
BinaryFile CreatePrivateFile(std::string& path) {
    std::error_code ec;
    const std::string folder = PathText(std::filesystem::temp_directory_path(ec));
    if (ec) throw VbError(vberr::PathNotFound);
    std::random_device random;
    for (int attempt = 0;; ++attempt) {
        path = folder + kNativeSeparator + "tessarin-stdin-" + std::to_string(random()) + ".tmp";
        try {
            return BinaryFile::Open(path, OpenMode::CreateNewLocked, 0600);
        } catch (const VbError& error) {
            if (error.number() != vberr::FileAlreadyExists || attempt == 16) throw;
        }
    }
}

}  // namespace

StdinSource::StdinSource(const std::string& argument) : path_(argument) {
    if (argument != "-") return;
    try {
        BinaryFile file = CreatePrivateFile(path_);
        copied_ = true;
        std::vector<char> block(1 << 20);
        std::int64_t total = 0;
        while (total < kLargestCopy) {
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(block.size()), kLargestCopy - total));
            const std::size_t n = std::fread(block.data(), 1, wanted, stdin);
            if (n > 0) file.Write(block.data(), n);
            total += static_cast<std::int64_t>(n);
            if (n < wanted) {
                if (std::ferror(stdin)) throw VbError(vberr::DeviceIO);
                break;
            }
        }
        file.Close();
    } catch (const VbError& error) {
        PrintError(FileFailureText(Text(Msg::StdinReadLead), path_, error));
        ready_ = false;
    }
}

StdinSource::~StdinSource() {
    if (copied_) TryDeleteFile(path_);
}

}  // namespace tessarin::cli
