// SPDX-License-Identifier: GPL-3.0-or-later
// POSIX implementation of the folder listing.
#include "FolderListing.h"

#include "brantlewick/engine/AsciiCase.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace brantlewick {

namespace {

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
