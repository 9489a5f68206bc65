// SPDX-License-Identifier: GPL-3.0-or-later
// The check and the in-place conversion: a second reading of the file follows the result as it is made.
#include "brantlewick/files/InPlace.h"
#include "InPlaceSeam.h"

#include "brantlewick/files/ConvertFile.h"
#include "brantlewick/files/EngineError.h"
#include "brantlewick/files/LineFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>

namespace brantlewick {

namespace {

constexpr std::size_t kCompareChunk = std::size_t{64} * 1024;

// The file read a second time, alongside the result: whether the result is the file's own bytes.
class Comparison {
public:
    explicit Comparison(const std::string& path, const InputFile& first)
        : file_(path), buffer_(std::make_unique_for_overwrite<char[]>(kCompareChunk)) {
        // Replaced between the two opens, the file is read as two different ones; the result would be
        // compared with a file it was not made from.
        if (file_.Id() != first.Id()) {
            throw EngineError(path, "changed while it was read");
        }
    }

    void Next(std::string_view bytes) {
        while (same_ && !bytes.empty()) {
            const std::size_t got = file_.Read(buffer_.get(), std::min(bytes.size(), kCompareChunk));
            same_ = got > 0 && std::memcmp(buffer_.get(), bytes.data(), got) == 0;
            equal_ += same_ ? got : 0;
            bytes.remove_prefix(got);
        }
    }

    // Whether the result so far is the start of the file.
    bool SameSoFar() const { return same_; }
    // The bytes of the result that are known to be the file's own.
    std::uint64_t Equal() const { return equal_; }

    // Whether the result was the whole file.
    bool Same() {
        char past = 0;
        return same_ && file_.Read(&past, 1) == 0;
    }

private:
    InputFile file_;
    std::unique_ptr<char[]> buffer_;
    bool same_ = true;
    std::uint64_t equal_ = 0;
};

// The result in place of the file, begun only once it differs: a file that stays as it is costs no
// writing, and no room on a disk that may be full.
class Replacement {
public:
    Replacement(const std::string& path, const InputFile& input, const struct stat& info)
        : path_(path), input_(input), info_(info) {}

    // The result's next bytes, which follow `equal` bytes that were the file's own.
    void Write(std::string_view bytes, std::uint64_t equal) {
        if (!output_) {
            Begin(equal);
        }
        output_->Write(bytes);
    }
    bool Begun() const { return output_.has_value(); }
    void Begin(std::uint64_t equal) {
        output_.emplace(path_, input_.Permissions());
        output_->TakeOverFrom(input_.Permissions(), info_.st_uid, info_.st_gid, input_.ExtendedAttributes());
        InputFile again(path_);
        if (again.Id() != input_.Id()) {
            throw EngineError(path_, "changed while it was read");
        }
        const auto buffer = std::make_unique_for_overwrite<char[]>(kCompareChunk);
        for (std::uint64_t left = equal; left > 0;) {
            const std::size_t got = again.Read(buffer.get(), std::min<std::uint64_t>(left, kCompareChunk));
            if (got == 0) {
                throw EngineError(path_, "changed while it was read");
            }
            output_->Write(std::string_view(buffer.get(), got));
            left -= got;
        }
    }
    // Puts the result in the file's place, unless the file is no longer the one read: a save made meanwhile
    // (written into the file, renamed over it or added to its end) stays as the user made it.
    void Commit(const std::function<void()>& beforeReplacing) {
        if (beforeReplacing) {
            beforeReplacing();
        }
        struct stat now {};
        if (::lstat(path_.c_str(), &now) != 0 || !input_.StillAsOpened(now)) {
            throw EngineError(path_, "changed while it was read");
        }
        output_->Commit();
    }

private:
    const std::string& path_;
    const InputFile& input_;
    const struct stat& info_;
    std::optional<SafeOutputFile> output_;
};

// What the file at `path` is, refused where replacing it would do more than change its text.
struct stat ReplaceableFile(const std::string& path, const InputFile& input) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        ThrowSystemError(errno, "cannot examine", path);
    }
    if (S_ISLNK(info.st_mode)) {
        throw EngineError(path, "is a symbolic link; only a regular file is converted in place");
    }
    if (!input.StillAsOpened(info)) {
        throw EngineError(path, "changed while it was read");
    }
    if (info.st_nlink > 1) {
        throw EngineError(path, "has " + std::to_string(info.st_nlink) +
                                    " hard links; only a file with one name is converted in place");
    }
    // Whether a write would succeed is not enough: root may write where the mode says no one may.
    if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        throw EngineError(path, "is read-only; it is not converted in place");
    }
    return info;
}

} // namespace

SameFileResult CheckFile(const std::string& path, const ConversionOptions& options,
                         std::atomic<std::uint64_t>* bytesRead) {
    InputFile input(path);
    Comparison comparison(path, input);
    SameFileResult result;
    result.counts = ConvertStream(
        input, options, [&comparison](std::string_view bytes) { comparison.Next(bytes); }, bytesRead);
    result.changes = !comparison.Same();
    return result;
}

SameFileResult ConvertInPlace(const std::string& path, const ConversionOptions& options,
                              std::atomic<std::uint64_t>* bytesRead) {
    return detail::ConvertInPlace(path, options, bytesRead, {});
}

namespace detail {

SameFileResult ConvertInPlace(const std::string& path, const ConversionOptions& options,
                              std::atomic<std::uint64_t>* bytesRead,
                              const std::function<void()>& beforeReplacing) {
    InputFile input(path);
    const struct stat info = ReplaceableFile(path, input);
    Comparison comparison(path, input);
    Replacement output(path, input, info);
    SameFileResult result;
    result.counts = ConvertStream(
        input, options,
        [&](std::string_view bytes) {
            const std::uint64_t equal = comparison.Equal();
            if (!output.Begun()) {
                comparison.Next(bytes);
                if (comparison.SameSoFar()) {
                    return;
                }
            }
            output.Write(bytes, equal);
        },
        bytesRead);
    result.changes = !comparison.Same();
    if (result.changes) {
        if (!output.Begun()) {
            output.Begin(comparison.Equal()); // the result is the start of the file
        }
        output.Commit(beforeReplacing);
    }
    return result;
}

} // namespace detail

} // namespace brantlewick
