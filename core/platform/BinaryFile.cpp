// The parts of BinaryFile and FileTable that every platform shares; the system
// calls are in posix/BinaryFile.cpp and windows/BinaryFile.cpp.
#include "core/platform/BinaryFile.h"

#include <memory>
#include <system_error>
#include <thread>

#include "core/platform/FaultInjection.h"
#include "core/platform/VbError.h"

namespace tessarin {
namespace {

constexpr int kFileAlreadyOpen = 55;

}  // namespace

BinaryFile::~BinaryFile() { Close(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : handle_(other.handle_), pos_(other.pos_), path_(std::move(other.path_)), mode_(other.mode_) {
    other.handle_ = kNoHandle;
    other.pos_ = 0;
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = other.handle_;
        pos_ = other.pos_;
        path_ = std::move(other.path_);
        mode_ = other.mode_;
        other.handle_ = kNoHandle;
        other.pos_ = 0;
    }
    return *this;
}

void BinaryFile::Seek(std::int64_t offset) {
    if (offset < 0) {
        throw VbError(vberr::BadRecordNumber);
    }
    pos_ = offset;
}

std::size_t BinaryFile::Read(void* buffer, std::size_t n) {
    faults::Check(faults::Op::Read);
    return ReadSome(buffer, n);
}

std::size_t BinaryFile::ReadAt(std::int64_t offset, void* buffer, std::size_t n) const {
    if (offset < 0) {
        throw VbError(vberr::BadRecordNumber);
    }
    return ReadSomeAt(offset, buffer, n);
}

void BinaryFile::ReadExact(void* buffer, std::size_t n) {
    faults::Check(faults::Op::Read);
    if (ReadSome(buffer, n) != n) {
        throw VbError(vberr::InputPastEnd);
    }
}

std::int16_t FileTable::FreeFile() const {
    for (int n = 1; n <= kMaxFiles; ++n) {
        if (!files_[n] || !files_[n]->IsOpen()) {
            return static_cast<std::int16_t>(n);
        }
    }
    throw VbError(vberr::TooManyFiles);
}

BinaryFile& FileTable::Open(std::int16_t number, const std::string& path, OpenMode mode) {
    if (number < 1 || number > kMaxFiles) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    if (IsOpen(number)) {
        throw VbError(kFileAlreadyOpen);
    }
    return Adopt(number, BinaryFile::Open(path, mode));
}

BinaryFile& FileTable::Adopt(std::int16_t number, BinaryFile file) {
    if (number < 1 || number > kMaxFiles) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    if (IsOpen(number)) {
        throw VbError(kFileAlreadyOpen);
    }
    files_[number] = std::make_unique<BinaryFile>(std::move(file));
    return *files_[number];
}

BinaryFile& FileTable::Get(std::int16_t number) {
    if (!IsOpen(number)) {
        throw VbError(vberr::BadFileNameOrNumber);
    }
    return *files_[number];
}

bool FileTable::IsOpen(std::int16_t number) const {
    return number >= 1 && number <= kMaxFiles && files_[number] && files_[number]->IsOpen();
}

void FileTable::Close(std::int16_t number) {
    if (number >= 1 && number <= kMaxFiles) {
        files_[number].reset();
    }
}

void FileTable::CloseInBackground(std::int16_t number) {
    if (number < 1 || number > kMaxFiles || !files_[number]) return;
    std::shared_ptr<BinaryFile> file(std::move(files_[number]));
    try {
        std::thread([file]() mutable { file.reset(); }).detach();
    } catch (const std::system_error&) {
        file.reset();  // no thread to be had: closed here
    }
}

void FileTable::CloseAll() {
    for (auto& file : files_) {
        file.reset();
    }
}

}  // namespace tessarin
