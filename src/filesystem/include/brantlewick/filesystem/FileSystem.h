// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX file-system layer under the conversion and the folder scan: attributes and identities of files.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brantlewick {

// Attribute bits as the rest of the program compares them.
inline constexpr std::uint32_t kAttributeReadOnly = 1;
inline constexpr std::uint32_t kAttributeHidden = 2;
inline constexpr std::uint32_t kAttributeSystem = 4;
inline constexpr std::uint32_t kAttributeFolder = 16;
inline constexpr std::uint32_t kAttributeArchive = 32;
inline constexpr std::uint32_t kAttributeReparsePoint = 1024;

// Attributes of `path` (links followed for the folder and file bits, the link itself marks the
// reparse-point bit); nothing when the path cannot be examined. The hidden bit comes from a name that
// begins with "." (a trailing separator is ignored when finding the name).
std::optional<std::uint32_t> FileAttributes(const std::string& path);

// Identity of what a path resolves to, for telling whether two spellings name one file.
struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};
struct FileIdHash {
    std::size_t operator()(const FileId& id) const noexcept {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(id.inode) * 31u +
                                          static_cast<std::uint64_t>(id.device));
    }
};
std::optional<FileId> IdOf(const std::string& path);

// A file as one of its kind: once it is deleted, a new file may take over its device and inode number, but
// not its stamp, which adds the file system's handle for it (the handle carries the inode's generation, the
// way a network file system tells a reused inode from the old one). The handle is empty where the file
// system gives none; then only the device and inode number are known.
struct FileStamp {
    FileId id;
    std::string handle;
};
std::optional<FileStamp> StampOf(const std::string& path);
// The stamp of an open file whose identity the caller has.
FileStamp StampOf(int descriptor, const FileId& id);
// Whether `path` still names the file `stamp` was taken of; where either lacks a handle, whether it names
// the same device and inode number.
bool StillTheFile(const std::string& path, const FileStamp& stamp);

// Gives `path` to the open file `descriptor`, made without a name (O_TMPFILE); never replaces what is
// there. False with errno.
bool LinkOpenFile(int descriptor, const std::string& path);

// One extended attribute of a file: its access control list ("system.posix_acl_access"), a "user."
// attribute that programs and people set, a security label.
struct ExtendedAttribute {
    std::string name;
    std::string value;
};
// The extended attributes of the open file `descriptor` that the process may read (none where the file
// system has none); false with errno.
bool ReadExtendedAttributes(int descriptor, std::vector<ExtendedAttribute>& attributes);

// A regular file after following links; FIFOs, sockets and devices never count.
bool IsRegularFile(const std::string& path);

// "/" itself (after clean-up); the scan always enters it.
bool IsRootFolder(const std::string& path);

} // namespace brantlewick
