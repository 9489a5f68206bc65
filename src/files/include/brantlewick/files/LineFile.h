// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming input and the crash-safe output that the conversion runs on.
#pragma once

#include "brantlewick/filesystem/FileSystem.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// A readable input opened without ever blocking: anything but a regular file (a folder, FIFO, device
// or socket) is refused at construction with an EngineError.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    // Reads from a descriptor the caller owns (standard input); it is not checked or closed.
    InputFile(int descriptor, std::string name);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Fills up to `size` bytes; 0 means the end. Throws EngineError on a read failure.
    std::size_t Read(char* buffer, std::size_t size);
    const std::string& Name() const noexcept { return name_; }
    std::uint64_t BytesRead() const noexcept { return bytesRead_; }
    // The file that was opened, as it was found then; nothing for a descriptor handed in.
    const std::optional<FileId>& Id() const noexcept { return id_; }
    // Its permission bits; those of a new file (0666) for a descriptor handed in.
    mode_t Permissions() const noexcept { return permissions_; }
    // Whether `now`, the status of its path taken later, shows the file as it was opened: the same file, of
    // the same size, modified and changed at the same times. A save in between changes one of them.
    bool StillAsOpened(const struct stat& now) const noexcept;
    // Its access control list and other extended attributes. Throws EngineError where they cannot be read.
    std::vector<ExtendedAttribute> ExtendedAttributes() const;

private:
    int fd_ = -1;
    bool owned_ = false;
    std::string name_;
    std::uint64_t bytesRead_ = 0;
    std::optional<FileId> id_;
    mode_t permissions_ = 0666;
    std::optional<std::uint64_t> sizeAtOpen_; // a regular file's, opened by name
    timespec modifiedAtOpen_{};
    timespec changedAtOpen_{};
    bool atEnd_ = false;
};

// Writes a file so that it appears whole or not at all: the bytes go to a temporary file in the target's
// folder, which Commit() gives the target's name. The temporary has no name where the file system allows
// (see TemporaryFiles.h), and is readable by its owner alone. The result gets `permissions`, its input's,
// less the umask, as `cp` gives them (where the file has no name while written, its folder's default ACL
// takes the umask's place, as for cp). Destroying an uncommitted file removes
// the temporary.
class SafeOutputFile {
public:
    SafeOutputFile(std::string path, mode_t permissions);
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    // For a result that replaces its input: it gets exactly `permissions` (the set-user-ID, set-group-ID
    // and sticky bits too), not less the umask, the input's extended attributes (its access control list
    // among them) and its owner and group where the process may give them. Where the group cannot be kept
    // the group's bits are dropped, so that no one reads the result who could not read the input, and so
    // is a set-ID bit whose owner or group is not kept, so that the file never runs as another. The
    // access control list ("system.") and the "user." attributes must be kept, or the result is not
    // committed; the others (security labels) where the process may set them. Before Finish().
    void TakeOverFrom(mode_t permissions, uid_t owner, gid_t group,
                      std::vector<ExtendedAttribute> attributes);
    void Write(std::string_view bytes);
    // The stamp that the output will have once committed; while it is written.
    FileStamp Stamp() const;
    // Ends the writing: the bytes wait, complete, for Commit(), which may be long. Returns Stamp().
    FileStamp Finish();
    // Whether the file has a temporary name now, which a killed process would leave behind.
    bool Named() const noexcept { return !temporary_.empty(); }
    void Commit();
    // Commits under another name, which must lie in the same folder as the target it was made for.
    void Commit(const std::string& path);
    // The same unless something is found under `path`, or the file system cannot name the file without
    // replacing: then answers false and the file waits as before.
    bool CommitIfFree(const std::string& path);

private:
    bool Publish(const std::string& path, bool replace);
    void GiveResultMode();
    void GiveAttributes(int descriptor);
    // Closes the descriptor; a failure discards the file and throws.
    void Close();
    void Discard() noexcept;
    void ReleaseDescriptor() noexcept;
    [[noreturn]] void Fail(int error, const std::string& action, const std::string& path);

    std::string path_;
    std::string temporary_; // the temporary's name; empty while it has none
    int fd_ = -1;
    FileId id_;
    mode_t mode_ = 0;          // the result's
    mode_t temporaryMode_ = 0; // the file's until it becomes the result
    // Those of the input it replaces, until given to the file.
    std::optional<std::vector<ExtendedAttribute>> attributes_;
    bool finished_ = false;
    bool held_ = false; // finished without a name, its descriptor counted against the process's
};

// Throws the EngineError that SafeOutputFile would throw for `path` when its folder is missing or not
// writable, or when `path` is a folder (not a link to one); writes nothing.
void CheckOutputPlace(const std::string& path);

// Writes all of `bytes` to a descriptor, retrying short writes. Throws EngineError naming `name`.
void WriteAll(int descriptor, std::string_view bytes, const std::string& name);

} // namespace brantlewick
