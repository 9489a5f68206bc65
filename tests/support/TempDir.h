// SPDX-License-Identifier: GPL-3.0-or-later
// A real temporary folder per test, removed with everything in it afterwards, plus small file helpers.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
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

// A descriptor whose reads give `bytes` in pieces of `pieceSize` (at most 32 KiB), one a read; then the end.
class PiecesDescriptor {
public:
    PiecesDescriptor(std::string_view bytes, std::size_t pieceSize) {
        int ends[2] = {-1, -1}; // without a socket pair every read fails, and the test with it
        (void)::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends);
        reader_ = ends[0];
        writer_ = std::thread([writer = ends[1], bytes = std::string(bytes), pieceSize] {
            for (std::size_t at = 0; at < bytes.size(); at += pieceSize) { // fails once the reader is gone
                (void)::send(writer, bytes.data() + at, std::min(pieceSize, bytes.size() - at), MSG_NOSIGNAL);
            }
            ::close(writer);
        });
    }
    ~PiecesDescriptor() {
        ::close(reader_);
        writer_.join();
    }
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
