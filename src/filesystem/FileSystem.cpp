// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX implementation of the file-system layer.
#include "brantlewick/filesystem/FileSystem.h"

#include "brantlewick/filesystem/PathHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace brantlewick {

namespace {

std::string NameOfPath(const std::string& path) {
    return FileNameOf(WithoutTrailingSeparators(path));
}

} // namespace

std::optional<std::uint32_t> FileAttributes(const std::string& path) {
    if (path.empty()) {
        return std::nullopt;
    }
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        return std::nullopt;
    }
    struct stat info = link;
    std::uint32_t attributes = 0;
    if (S_ISLNK(link.st_mode)) {
        attributes |= kAttributeReparsePoint;
        if (::stat(path.c_str(), &info) != 0) {
            return attributes; // a dangling link is still something, but neither file nor folder
        }
    }
    if (S_ISDIR(info.st_mode)) {
        attributes |= kAttributeFolder;
    } else if (S_ISREG(info.st_mode)) {
        attributes |= kAttributeArchive;
    }
    if ((info.st_mode & S_IWUSR) == 0) {
        attributes |= kAttributeReadOnly;
    }
    const std::string name = NameOfPath(path);
    if (name.size() > 1 && name.front() == '.' && name != "..") {
        attributes |= kAttributeHidden;
    }
    return attributes;
}

std::optional<FileId> IdOf(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileId{info.st_dev, info.st_ino};
}

namespace {

// The file system's handle for `name` under `folder` (or for `folder` itself when `name` is empty), as
// bytes; empty where none is given.
std::string HandleOf(int folder, const char* name, int flags) {
    alignas(file_handle) unsigned char storage[sizeof(file_handle) + MAX_HANDLE_SZ];
    auto* const handle = reinterpret_cast<file_handle*>(storage);
    handle->handle_bytes = MAX_HANDLE_SZ;
    int mountId = 0;
    if (::name_to_handle_at(folder, name, handle, &mountId, flags) != 0) {
        return {};
    }
    std::string bytes(reinterpret_cast<const char*>(&handle->handle_type), sizeof handle->handle_type);
    bytes.append(reinterpret_cast<const char*>(handle->f_handle), handle->handle_bytes);
    return bytes;
}

} // namespace

std::optional<FileStamp> StampOf(const std::string& path) {
    auto id = IdOf(path);
    if (!id) {
        return std::nullopt;
    }
    return FileStamp{*id, HandleOf(AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW)};
}

FileStamp StampOf(int descriptor, const FileId& id) {
    return FileStamp{id, HandleOf(descriptor, "", AT_EMPTY_PATH)};
}

bool StillTheFile(const std::string& path, const FileStamp& stamp) {
    if (IdOf(path) != stamp.id) {
        return false;
    }
    const std::string handle =
        stamp.handle.empty() ? std::string() : HandleOf(AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
    return handle.empty() || handle == stamp.handle;
}

bool LinkOpenFile(int descriptor, const std::string& path) {
    // Through /proc any process may link a file it holds open; linking the descriptor itself takes a
    // privilege on most kernels, so it is only the way out where /proc is not mounted.
    char byNumber[32];
    std::snprintf(byNumber, sizeof byNumber, "/proc/self/fd/%d", descriptor);
    if (::linkat(AT_FDCWD, byNumber, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        return true;
    }
    const int error = errno;
    if (error == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
        return ::linkat(descriptor, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0;
    }
    errno = error;
    return false;
}

namespace {

// Calls `read` (flistxattr or fgetxattr on a buffer) until the buffer holds the whole answer, which may grow
// between asking for its size and reading it.
template <typename Read> bool ReadGrowing(std::string& bytes, const Read& read) {
    for (;;) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0) {
            return false;
        }
        bytes.resize(static_cast<std::size_t>(size));
        const ssize_t got = read(bytes.data(), bytes.size());
        if (got >= 0) {
            bytes.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) {
            return false;
        }
    }
}

} // namespace

bool ReadExtendedAttributes(int descriptor, std::vector<ExtendedAttribute>& attributes) {
    attributes.clear();
    std::string names;
    if (!ReadGrowing(names, [descriptor](char* buffer, std::size_t size) {
            return ::flistxattr(descriptor, buffer, size);
        })) {
        return errno == ENOTSUP;
    }
    for (std::size_t at = 0; at < names.size();) {
        std::string name = names.c_str() + at;
        at += name.size() + 1;
        std::string value;
        if (!ReadGrowing(value, [&](char* buffer, std::size_t size) {
                return ::fgetxattr(descriptor, name.c_str(), buffer, size);
            })) {
            if (errno == ENODATA) {
                continue; // removed since the listing
            }
            return false;
        }
        attributes.push_back({std::move(name), std::move(value)});
    }
    return true;
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsRootFolder(const std::string& path) {
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

} // namespace brantlewick
