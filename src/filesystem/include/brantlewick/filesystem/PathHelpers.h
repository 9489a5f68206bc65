// SPDX-License-Identifier: GPL-3.0-or-later
// Small string and file-system operations on paths, shared by the conversion, the folder scan and the window.
#pragma once

#include <string>
#include <string_view>

namespace brantlewick {

// The only separator the helpers look at; every other character, "\" included, is ordinary on Linux.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// The part after the last separator; all of `path` when it has none.
std::string FileNameOf(std::string_view path);
// The part up to and including the last separator; empty when there is none.
std::string FolderOf(std::string_view path);
// Collapses doubled separators in one left-to-right pass (so a run of three becomes two). A leading run
// becomes exactly one separator on Linux, where "//" has no network meaning (two on Windows).
std::string CleanPath(std::string_view path);

// `path` without the separators at its end; the root keeps its one ("/" stays "/").
std::string WithoutTrailingSeparators(std::string_view path);

// Silent tests: any failure answers false.
bool IsFolder(const std::string& path);
bool PathExists(const std::string& path);

} // namespace brantlewick
