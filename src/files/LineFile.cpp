// SPDX-License-Identifier: GPL-3.0-or-later
// Non-blocking input and temporary-file output on POSIX.
#include "brantlewick/files/LineFile.h"

#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/TemporaryFiles.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>

namespace brantlewick {

namespace {

// Larger files are read in order with a wider read-ahead.
constexpr off_t kSmallFile = off_t{128} * 1024;

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
    permissions_ = info.st_mode & 07777;
    sizeAtOpen_ = static_cast<std::uint64_t>(info.st_size);
    modifiedAtOpen_ = info.st_mtim;
    changedAtOpen_ = info.st_ctim;
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

bool InputFile::StillAsOpened(const struct stat& now) const noexcept {
    const auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return sizeAtOpen_ && id_ == FileId{now.st_dev, now.st_ino} &&
           static_cast<std::uint64_t>(now.st_size) == *sizeAtOpen_ && same(now.st_mtim, modifiedAtOpen_) &&
           same(now.st_ctim, changedAtOpen_);
}

std::vector<ExtendedAttribute> InputFile::ExtendedAttributes() const {
    std::vector<ExtendedAttribute> attributes;
    if (!ReadExtendedAttributes(fd_, attributes)) {
        ThrowSystemError(errno, "cannot read its extended attributes", name_);
    }
    return attributes;
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

namespace {

constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kOwnerOnly = 0600;
constexpr const char* kAccessControlList = "system.posix_acl_access";

// Whether a result that does not keep the attribute differs in what matters: who may read or write it
// (an access control list, POSIX or NFSv4: "system."), or what people and programs noted on it ("user.").
// Security labels are the system's to give, and trusted ones only root's; they are kept where the process
// may set them.
bool MustBeKept(const std::string& attribute) {
    return attribute.starts_with("system.") || attribute.starts_with("user.");
}

// The umask, read without changing it: umask() would change it for every thread for a moment. Where it
// cannot be read, the strictest one.
mode_t CreationMask() {
    constexpr mode_t kStrictest = 077;
    const int status = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (status < 0) {
        return kStrictest;
    }
    char text[4096];
    const ssize_t got = ::read(status, text, sizeof text);
    ::close(status);
    const std::string_view lines(text, got > 0 ? static_cast<std::size_t>(got) : 0);
    constexpr std::string_view kLine = "\nUmask:\t";
    const auto at = lines.find(kLine);
    unsigned mask = kStrictest;
    if (at == std::string_view::npos ||
        std::from_chars(lines.data() + at + kLine.size(), lines.data() + lines.size(), mask, 8).ec !=
            std::errc()) {
        return kStrictest;
    }
    return static_cast<mode_t>(mask) & kPermissionBits;
}

const char* Spelled(const std::string& folder) {
    return folder.empty() ? "." : folder.c_str();
}

// A name too long for the file system is said in plain words, alike by the dry run and the run.
[[noreturn]] void ThrowOutputError(int error, const std::string& action, const std::string& path) {
    if (error == ENAMETOOLONG) {
        throw EngineError(path, "the result's name would be longer than the file system allows", error);
    }
    ThrowSystemError(error, action, path);
}

} // namespace

SafeOutputFile::SafeOutputFile(std::string path, mode_t permissions) : path_(std::move(path)) {
    const std::string folder = FolderOf(path_);
    temporary::SweepBeforeFirstUse(folder);
    // Made with the input's permissions, the file gets them less the umask or the folder's default ACL, as
    // a copy by cp would; it is restricted to its owner below until it becomes the result.
    fd_ = ::open(Spelled(folder), O_TMPFILE | O_WRONLY | O_CLOEXEC | O_NOCTTY, permissions & kPermissionBits);
    if (fd_ < 0) {
        // The file system cannot make a file without a name.
        fd_ = temporary::Create(folder, temporary_);
        if (fd_ < 0) {
            Fail(errno, "cannot create the output file", path_);
        }
        mode_ = permissions & kPermissionBits & ~CreationMask();
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail(errno, "cannot create the output file", path_);
    }
    id_ = FileId{info.st_dev, info.st_ino};
    temporaryMode_ = info.st_mode & kPermissionBits;
    if (temporary_.empty()) {
        mode_ = temporaryMode_;
    }
    // Read and write for its owner alone, also from a read-only input: a folder scan passes over a dot-file
    // only while it is writable.
    if (temporaryMode_ != kOwnerOnly) {
        temporaryMode_ = kOwnerOnly;
        if (::fchmod(fd_, temporaryMode_) != 0) {
            Fail(errno, "cannot create the output file", path_);
        }
    }
}

void CheckOutputPlace(const std::string& path) {
    const std::string folder = FolderOf(path);
    if (::faccessat(AT_FDCWD, Spelled(folder), W_OK | X_OK, AT_EACCESS) != 0) {
        ThrowOutputError(errno, "cannot create the output file", path);
    }
    // The link itself, not what it leads to: the run deletes a link in the result's place before it
    // writes, so only a folder standing there itself makes the write fail. The file system looks at the
    // name's length as it looks the name up.
    struct stat info {};
    const bool found = ::lstat(path.c_str(), &info) == 0;
    if (found && S_ISDIR(info.st_mode)) {
        ThrowSystemError(EISDIR, "cannot replace the output file", path);
    }
    if (!found && errno == ENAMETOOLONG) {
        ThrowOutputError(errno, "cannot replace the output file", path);
    }
}

SafeOutputFile::~SafeOutputFile() {
    Discard();
}

void SafeOutputFile::Fail(int error, const std::string& action, const std::string& path) {
    Discard();
    ThrowOutputError(error, action, path);
}

void SafeOutputFile::ReleaseDescriptor() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (held_) {
        temporary::Unkeep();
        held_ = false;
    }
}

void SafeOutputFile::Discard() noexcept {
    ReleaseDescriptor();
    if (!temporary_.empty()) {
        temporary::Remove(temporary_);
        temporary_.clear();
    }
}

void SafeOutputFile::TakeOverFrom(mode_t permissions, uid_t owner, gid_t group,
                                  std::vector<ExtendedAttribute> attributes) {
    if (fd_ < 0 || finished_) {
        throw EngineError(path_, "output already finished");
    }
    // A write into a file takes away its set-user-ID and set-group-ID bits, and so does a change of owner:
    // they are given with the rest of the mode once the file is complete.
    mode_ = permissions & 07777;
    attributes_ = std::move(attributes);
    // An owner other than the process's own can only be given by a privileged process; a group by its
    // members too. A set-ID bit stays only with its own owner or group: it would run the file as another.
    if (::fchown(fd_, owner, group) == 0) {
        return;
    }
    if (owner != ::geteuid()) {
        mode_ &= ~static_cast<mode_t>(S_ISUID);
    }
    if (::fchown(fd_, static_cast<uid_t>(-1), group) != 0) {
        mode_ &= ~static_cast<mode_t>(S_ISGID | 070);
    }
}

void SafeOutputFile::Write(std::string_view bytes) {
    if (fd_ < 0 || finished_) {
        throw EngineError(path_, "output already finished");
    }
    WriteAll(fd_, bytes, path_);
}

void SafeOutputFile::Close() {
    const int fd = fd_;
    fd_ = -1;
    const int closed = ::close(fd);
    const int error = errno;
    ReleaseDescriptor();
    if (closed != 0) {
        Fail(error, "cannot write", path_);
    }
}

FileStamp SafeOutputFile::Stamp() const {
    if (fd_ < 0 || finished_) {
        throw EngineError(path_, "output already finished");
    }
    return StampOf(fd_, id_);
}

FileStamp SafeOutputFile::Finish() {
    FileStamp stamp = Stamp();
    finished_ = true;
    if (temporary_.empty()) {
        held_ = temporary::Keep();
        if (held_) {
            return stamp;
        }
        // Too many files wait already: this one waits under a name, and gives its descriptor back.
        if (!temporary::Link(fd_, FolderOf(path_), temporary_, true)) {
            Fail(errno, "cannot create the output file", path_);
        }
    }
    Close();
    return stamp;
}

// The input's attributes in place of those the file got from its folder (a default access control list).
// Given before the mode, which then sets the list's mask to the group's bits.
void SafeOutputFile::GiveAttributes(int descriptor) {
    bool listKept = false;
    for (const ExtendedAttribute& attribute : *attributes_) {
        const int set = ::fsetxattr(descriptor, attribute.name.c_str(), attribute.value.data(),
                                    attribute.value.size(), 0);
        if (set != 0 && MustBeKept(attribute.name)) {
            Fail(errno, "cannot keep its extended attributes", path_);
        }
        listKept = listKept || attribute.name == kAccessControlList;
    }
    if (!listKept && ::fremovexattr(descriptor, kAccessControlList) != 0 && errno != ENODATA &&
        errno != ENOTSUP) {
        Fail(errno, "cannot keep its extended attributes", path_);
    }
    attributes_.reset();
}

// Given just before the file gets the result's name; a file that waits closed under its temporary name is
// opened again for it, and must still be the one written.
void SafeOutputFile::GiveResultMode() {
    if (temporaryMode_ == mode_ && !attributes_) {
        return;
    }
    int fd = fd_;
    if (fd < 0) {
        fd = ::open(temporary_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0 || FileId{info.st_dev, info.st_ino} != id_) {
            const int error = fd < 0 ? errno : ESTALE;
            if (fd >= 0) {
                ::close(fd);
            }
            Fail(error, "cannot replace the output file", path_);
        }
    }
    if (attributes_) {
        try {
            GiveAttributes(fd);
        } catch (...) {
            if (fd != fd_) {
                ::close(fd);
            }
            throw;
        }
    }
    const int changed = ::fchmod(fd, mode_);
    const int error = errno;
    if (fd != fd_) {
        ::close(fd);
    }
    if (changed != 0) {
        Fail(error, "cannot replace the output file", path_);
    }
    temporaryMode_ = mode_;
}

void SafeOutputFile::Commit() {
    Commit(path_);
}

void SafeOutputFile::Commit(const std::string& path) {
    Publish(path, true);
}

bool SafeOutputFile::CommitIfFree(const std::string& path) {
    return Publish(path, false);
}

bool SafeOutputFile::Publish(const std::string& path, bool replace) {
    if (fd_ < 0 && temporary_.empty()) {
        throw EngineError(path, "output already finished");
    }
    GiveResultMode();
    if (temporary_.empty()) {
        if (LinkOpenFile(fd_, path)) {
            try {
                Close();
            } catch (...) {
                ::unlink(path.c_str());
                throw;
            }
            return true;
        }
        if (!replace) {
            return false;
        }
        // Something is in the way: the file takes a temporary name, which a rename puts in its place at once.
        if (errno != EEXIST || !temporary::Link(fd_, FolderOf(path), temporary_, false)) {
            Fail(errno, "cannot replace the output file", path);
        }
    }
    if (fd_ >= 0) {
        Close();
    }
    if (!temporary::Rename(temporary_, path, replace)) {
        if (!replace) {
            return false;
        }
        Fail(errno, "cannot replace the output file", path);
    }
    temporary_.clear();
    return true;
}

} // namespace brantlewick
