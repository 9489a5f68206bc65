// SPDX-License-Identifier: GPL-3.0-or-later
// Path splitting, clean-up and the silent file tests.
#include "brantlewick/filesystem/PathHelpers.h"

#include "brantlewick/filesystem/FileSystem.h"

#include <sys/stat.h>

namespace brantlewick {

std::string FileNameOf(std::string_view path) {
    const auto pos = path.rfind(kPathSeparator);
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string FolderOf(std::string_view path) {
    const auto pos = path.rfind(kPathSeparator);
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos + 1));
}

namespace {

// One pass that turns each pair of separators into one without looking at its own output again.
std::string CollapsePairs(std::string_view text) {
    constexpr char kPair[] = {kPathSeparator, kPathSeparator, '\0'};
    if (text.find(kPair) == std::string_view::npos) {
        return std::string(text); // the usual case, and a folder scan cleans every path it collects
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out.push_back(text[i]);
        if (text[i] == kPathSeparator && i + 1 < text.size() && text[i + 1] == kPathSeparator) {
            ++i;
        }
    }
    return out;
}

} // namespace

std::string CleanPath(std::string_view path) {
    if (path.empty() || path.front() != kPathSeparator) {
        return CollapsePairs(path);
    }
    const auto rest = path.find_first_not_of(kPathSeparator);
    const std::string_view tail = rest == std::string_view::npos ? std::string_view() : path.substr(rest);
#ifdef _WIN32
    return std::string(2, kPathSeparator) + CollapsePairs(tail);
#else
    return std::string(1, kPathSeparator) + CollapsePairs(tail);
#endif
}

std::string WithoutTrailingSeparators(std::string_view path) {
    while (path.size() > 1 && path.back() == kPathSeparator) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

bool IsFolder(const std::string& path) {
    const auto attributes = FileAttributes(path);
    return attributes && (*attributes & kAttributeFolder) != 0;
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

} // namespace brantlewick
