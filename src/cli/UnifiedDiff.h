// SPDX-License-Identifier: GPL-3.0-or-later
// What --check --diff prints for a file that would change: a unified diff that patch and git apply take.
#pragma once

#include <string>
#include <string_view>

namespace brantlewick::cli {

// The difference between `before` and `after`, the old and new bytes of the file `name`, as `diff -u`
// prints it (without the times): "--- NAME" and "+++ NAME", then hunks with three lines of context.
// Empty when they are the same. Lines end at LF; a last line without one is marked as diff marks it.
// Old bytes with NUL in them are no text: one line says that they differ.
std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view name);

// A file's name as diff's headers give it: as it is, or in double quotes with C escapes when it holds
// blanks, quotes, backslashes, control characters or bytes that are not UTF-8, as patch reads it.
std::string DiffName(std::string_view name);

} // namespace brantlewick::cli
