// SPDX-License-Identifier: GPL-3.0-or-later
// Non-blocking input and temporary-file output on POSIX.
#include "LineFile.h"

#include "EngineError.h"
#include "PathHelpers.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <random>

namespace brantlewick {

namespace {

// Larger files are read in order with a wider read-ahead.
constexpr off_t kSmallFile = off_t{128} * 1024;

// Temporary names only need to differ; O_EXCL keeps them safe. Seeding once per thread matters: a batch
// makes one per file, and seeding from the system's entropy each time cost more than a small conversion.
std::uint64_t TemporaryTag() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    return random();
}

} // namespace

InputFile::InputFile(const std::string& path) : owned_(true), name_(path) {
    // O_NONBLOCK keeps a FIFO without a writer from stalling the open; it is refused just below.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
        ThrowSystemError(errno, "cannot open", path);
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int error = errno;
        ::close(fd_);
        ThrowSystemError(error, "cannot examine", path);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw EngineError(path, S_ISDIR(info.st_mode) ? "is a folder, not a file"
                                                      : "is not a regular file (a device, FIFO or socket)");
    }
    id_ = FileId{info.st_dev, info.st_ino};
    sizeAtOpen_ = static_cast<std::uint64_t>(info.st_size);
    // A batch of small files pays for every call here. O_NONBLOCK stays set: a regular file's reads do not
    // heed it. Nor is the default read-ahead, which covers a small file whole, widened.
    if (info.st_size > kSmallFile) {
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
}

InputFile::InputFile(int descriptor, std::string name)
    : fd_(descriptor), owned_(false), name_(std::move(name)) {}

InputFile::~InputFile() {
    if (owned_ && fd_ >= 0) {
        ::close(fd_);
    }
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    if (atEnd_) {
        return 0;
    }
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) {
            bytesRead_ += static_cast<std::uint64_t>(got);
            // A regular file that answers short has nothing more right now; once all it held at the open
            // is read, that is its end, and a small file needs no second read to learn it.
            atEnd_ = sizeAtOpen_ && static_cast<std::size_t>(got) < size && bytesRead_ >= *sizeAtOpen_;
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            ThrowSystemError(errno, "cannot read", name_);
        }
    }
}

void WriteAll(int descriptor, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowSystemError(errno, "cannot write", name);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

SafeOutputFile::SafeOutputFile(std::string path) : path_(std::move(path)) {
    const std::string folder = FolderOf(path_);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[17];
        std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(TemporaryTag()));
        temporary_ = folder + ".brantlewick-" + tag + ".tmp";
        // Created like any new file, so the umask decides its mode as it would for the output itself.
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd_ >= 0) {
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const int error = errno;
    temporary_.clear();
    ThrowSystemError(error, "cannot create the output file", path_);
}

void CheckOutputPlace(const std::string& path) {
    const std::string folder = FolderOf(path);
    if (::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        ThrowSystemError(errno, "cannot create the output file", path);
    }
    // The link itself, not what it leads to: the run deletes a link in the result's place before it
    // writes, so only a folder standing there itself makes the write fail.
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        ThrowSystemError(EISDIR, "cannot replace the output file", path);
    }
}

SafeOutputFile::~SafeOutputFile() {
    Discard();
}

void SafeOutputFile::Discard() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

void SafeOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) {
        throw EngineError(path_, "output already finished");
    }
    WriteAll(fd_, bytes, path_);
}

void SafeOutputFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        Discard();
        ThrowSystemError(error, "cannot write", path_);
    }
}

FileId SafeOutputFile::Finish() {
    if (fd_ < 0) {
        throw EngineError(path_, "output already finished");
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        const int error = errno;
        Discard();
        ThrowSystemError(error, "cannot examine", path_);
    }
    Close();
    return FileId{info.st_dev, info.st_ino};
}

void SafeOutputFile::Commit() {
    Commit(path_);
}

bool SafeOutputFile::CommitIfFree(const std::string& path) {
    if (fd_ >= 0) {
        Close();
    } else if (temporary_.empty()) {
        throw EngineError(path, "output already finished");
    }
    if (::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) != 0) {
        return false;
    }
    temporary_.clear();
    return true;
}

void SafeOutputFile::Commit(const std::string& path) {
    if (fd_ >= 0) {
        Close();
    } else if (temporary_.empty()) {
        throw EngineError(path, "output already finished");
    }
    if (::rename(temporary_.c_str(), path.c_str()) != 0) {
        const int error = errno;
        Discard();
        ThrowSystemError(error, "cannot replace the output file", path);
    }
    temporary_.clear();
}

} // namespace brantlewick
