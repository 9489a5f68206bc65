// POSIX implementation of the file and folder facility.
#include "FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace brantlewick {

namespace {

std::string NameOfPath(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const auto pos = trimmed.rfind('/');
    return pos == std::string::npos ? trimmed : trimmed.substr(pos + 1);
}

unsigned char LowerAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
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

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsRootFolder(const std::string& path) {
    return !path.empty() && path.find_first_not_of('/') == std::string::npos;
}

void ForceDeleteFile(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
        ::chmod(path.c_str(), info.st_mode | S_IWUSR);
    }
    if (::unlink(path.c_str()) != 0) {
        ThrowSystemError(errno, "cannot delete", path);
    }
}

FolderListError::FolderListError(const std::string& folder, int error)
    : EngineError(folder, std::string("cannot list the folder: ") + std::strerror(error)), error_(error) {}

bool FolderListError::AccessDeniedOrMissing() const noexcept {
    return error_ == EACCES || error_ == EPERM || error_ == ENOENT || error_ == ENOTDIR;
}

bool NameLessIgnoringCase(const std::string& a, const std::string& b) {
    const auto less = [](char x, char y) {
        return LowerAscii(static_cast<unsigned char>(x)) < LowerAscii(static_cast<unsigned char>(y));
    };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) {
        return true;
    }
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) {
        return false;
    }
    return a < b;
}

std::vector<std::string> ListSubFolderNames(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        throw FolderListError(folder, errno);
    }
    const int dirFd = ::dirfd(dir.get());
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder) {
            names.push_back(name);
        }
        errno = 0;
    }
    if (errno != 0) {
        throw FolderListError(folder, errno);
    }
    std::sort(names.begin(), names.end(), NameLessIgnoringCase);
    return names;
}

} // namespace brantlewick
