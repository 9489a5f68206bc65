// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX implementation of the file and folder facility.
#include "FileSystem.h"

#include "AsciiCase.h"
#include "PathHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace brantlewick {

namespace {

std::string NameOfPath(const std::string& path) {
    return FileNameOf(WithoutTrailingSeparators(path));
}

using DirHandle = std::unique_ptr<DIR, int (*)(DIR*)>;

DirHandle OpenFolder(const std::string& folder) {
    DirHandle dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        throw FolderListError(folder, errno);
    }
    return dir;
}

// Calls `visit` for every entry but "." and ".."; throws when reading the folder fails half-way.
template <typename Visit> void ForEachEntry(const std::string& folder, DIR* dir, Visit&& visit) {
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (!(name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))) {
            visit(*entry);
        }
        errno = 0;
    }
    if (errno != 0) {
        throw FolderListError(folder, errno);
    }
}

// Compares two names as the listing order wants: ASCII letters without case, then byte order.
bool NameLessIgnoringCase(const std::string& a, const std::string& b) {
    const auto less = [](char x, char y) {
        return FoldAscii(static_cast<unsigned char>(x)) < FoldAscii(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) {
        return false;
    }
    return a < b;
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

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsRootFolder(const std::string& path) {
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

FolderListError::FolderListError(const std::string& folder, int error)
    : EngineError(folder, "cannot list the folder: " + SystemErrorText(error)), error_(error) {}

bool FolderListError::AccessDeniedOrMissing() const noexcept {
    return error_ == EACCES || error_ == EPERM || error_ == ENOENT || error_ == ENOTDIR;
}

std::vector<SubFolder> ListSubFolders(const std::string& folder) {
    const DirHandle dir = OpenFolder(folder);
    const int dirFd = ::dirfd(dir.get());
    std::vector<SubFolder> folders;
    ForEachEntry(folder, dir.get(), [&](const dirent& entry) {
        if (entry.d_type != DT_DIR && entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) {
            return;
        }
        // Every candidate is examined: the identity is what stops a scan from entering a folder twice,
        // and the name's type alone cannot tell a mount point's root from the folder beneath it.
        struct stat info {};
        const bool examined = ::fstatat(dirFd, entry.d_name, &info, 0) == 0;
        if (examined && S_ISDIR(info.st_mode)) {
            folders.push_back({entry.d_name, FileId{info.st_dev, info.st_ino}});
        } else if (!examined && entry.d_type == DT_DIR) {
            folders.push_back({entry.d_name, std::nullopt});
        }
    });
    std::sort(folders.begin(), folders.end(),
              [](const SubFolder& a, const SubFolder& b) { return NameLessIgnoringCase(a.name, b.name); });
    return folders;
}

std::vector<std::string> ListSubFolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& subFolder : ListSubFolders(folder)) {
        names.push_back(std::move(subFolder.name));
    }
    return names;
}

std::vector<std::string> ListRegularFiles(const std::string& folder,
                                          const std::function<bool(std::string_view name)>& wanted) {
    const DirHandle dir = OpenFolder(folder);
    const int dirFd = ::dirfd(dir.get());
    // In a folder that can be read but not searched the listing names files that cannot be reached.
    const bool searchable = ::faccessat(dirFd, ".", X_OK, AT_EACCESS) == 0;
    std::vector<std::string> names;
    ForEachEntry(folder, dir.get(), [&](const dirent& entry) {
        const unsigned char type = entry.d_type;
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN) {
            return; // folders, FIFOs, sockets and devices are known from the listing alone
        }
        if (wanted && !wanted(entry.d_name)) {
            return;
        }
        // Examining every plain file would double the cost of a large scan for an answer the listing
        // has just given.
        struct stat info {};
        if ((type != DT_REG || !searchable) &&
            (::fstatat(dirFd, entry.d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))) {
            return; // gone, dangling, or no file
        }
        names.emplace_back(entry.d_name);
    });
    std::sort(names.begin(), names.end(), NameLessIgnoringCase);
    return names;
}

} // namespace brantlewick
