// SPDX-License-Identifier: GPL-3.0-or-later
// The streaming input and the crash-safe output that the conversion runs on.
#pragma once

#include "FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

private:
    int fd_ = -1;
    bool owned_ = false;
    std::string name_;
    std::uint64_t bytesRead_ = 0;
    std::optional<FileId> id_;
    std::optional<std::uint64_t> sizeAtOpen_; // a regular file's, opened by name
    bool atEnd_ = false;
};

// Writes a file so that it appears whole or not at all: the bytes go to a temporary file in the target's
// folder, which Commit() renames over the target. Destroying an uncommitted file removes the temporary.
class SafeOutputFile {
public:
    explicit SafeOutputFile(std::string path);
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    void Write(std::string_view bytes);
    // Ends the writing: the bytes wait, complete, under the temporary name. Returns the identity that the
    // output will have once committed.
    FileId Finish();
    void Commit();
    // Commits under another name, which must lie in the same folder as the target it was made for.
    void Commit(const std::string& path);
    // The same unless something is found under `path`, or the file system cannot rename without
    // replacing: then answers false and the file stays as it was.
    bool CommitIfFree(const std::string& path);

private:
    void Close();
    void Discard() noexcept;

    std::string path_;
    std::string temporary_;
    int fd_ = -1;
};

// Throws the EngineError that SafeOutputFile would throw for `path` when its folder is missing or not
// writable, or when `path` is a folder (not a link to one); writes nothing.
void CheckOutputPlace(const std::string& path);

// Writes all of `bytes` to a descriptor, retrying short writes. Throws EngineError naming `name`.
void WriteAll(int descriptor, std::string_view bytes, const std::string& name);

} // namespace brantlewick
