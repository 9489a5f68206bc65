// SPDX-License-Identifier: GPL-3.0-or-later
// A file converted onto itself: the check that tells whether its result would differ, and the one way the
// program ever changes an input.
#pragma once

#include "brantlewick/engine/Conversion.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace brantlewick {

struct SameFileResult {
    ConversionCounts counts;
    bool changes = false; // the result differs from the file
};

// Converts `path` in memory and compares the result with the file, byte for byte; writes nothing. Fails
// like ConvertFile on a file it cannot read or that is not text.
SameFileResult CheckFile(const std::string& path, const ConversionOptions& options,
                         std::atomic<std::uint64_t>* bytesRead = nullptr);

// Replaces `path` with its conversion where the result differs: the result is written to a temporary file
// in the same folder, which a rename puts in the file's place whole, with the file's mode (the set-ID and
// sticky bits too), access control list and extended attributes and, where the process may give them, its
// owner and group (see SafeOutputFile::TakeOverFrom). A result equal to the file leaves it untouched, its
// times too. Refused with an EngineError, before anything is written: a symbolic link, a file with more than
// one hard link (the rename would part it from its other names) and a read-only file (one the process may
// not write, or whose mode lets no one write it). A file that is no longer the one read when the result
// would replace it (saved meanwhile) is refused too, "changed while it was read", and left as it is then.
SameFileResult ConvertInPlace(const std::string& path, const ConversionOptions& options,
                              std::atomic<std::uint64_t>* bytesRead = nullptr);

} // namespace brantlewick
