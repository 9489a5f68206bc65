// SPDX-License-Identifier: GPL-3.0-or-later
// A real temporary folder per test, removed with everything in it afterwards, plus small file helpers.
#pragma once

#include <string>
#include <string_view>
#include <thread>

namespace brantlewick::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder, without a trailing separator.
    const std::string& Path() const { return path_; }
    // Path() + "/" + relative.
    std::string operator/(std::string_view relative) const;

private:
    std::string path_;
};

// A descriptor whose reads give `bytes` in pieces of `pieceSize` (at most 32 KiB), one a read, the way a
// pipe does when its writer is slow; then the end.
class PiecesDescriptor {
public:
    PiecesDescriptor(std::string_view bytes, std::size_t pieceSize);
    ~PiecesDescriptor();
    PiecesDescriptor(const PiecesDescriptor&) = delete;
    PiecesDescriptor& operator=(const PiecesDescriptor&) = delete;

    int Descriptor() const { return reader_; }

private:
    int reader_ = -1;
    std::thread writer_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
// Names in `folder`, sorted, "." and ".." left out.
std::string ListNames(const std::string& folder);

} // namespace brantlewick::testing
