// SPDX-License-Identifier: GPL-3.0-or-later
// Turning folders into lists of input files: the level-order sub-folder scan, the listing of one folder
// by a wildcard pattern and the tests they rely on. Plain C++ and POSIX; the window passes its event
// processing and its error report in.
#pragma once

#include "brantlewick/trap/ErrorTrap.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// The location the error report names for a failure in GetSubDirectories2016.
inline constexpr std::string_view kGetSubDirectories2016Location =
    "in Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 ";

// What a scan needs from the window. Both may be left empty.
struct ScanHooks {
    // Lets pending window events run (QCoreApplication::processEvents); called once per folder and
    // sub-folder, so a long scan keeps the window painted and responsive.
    std::function<void()> yield;
    // Where the trap of GetSubDirectories2016 reports a failing statement outside the sub-folder
    // enumeration, before the scan goes on with the next one. None: such failures pass silently.
    ErrorReporter* reporter = nullptr;
    // Told each sub-folder (its path, ending in a separator) that is left out with everything in it
    // because the folder above it has a path of 260 characters or more. None: they are left out silently.
    std::function<void(const std::string& folder)> leftOutTooDeep = {};
};

// Every file in `folder` (given without a trailing separator; "/" for the root) and in all its
// sub-folders whose name matches `pattern`, as cleaned paths: the folder's own files first, then those of
// the sub-folders in level order, each folder's files by name. Names beginning with "~" and writable
// dot-files (attribute value 34) are left out, as is every folder GetSubDirectories2016 leaves out. An
// empty `folder` gives nothing. Anything thrown besides what the scan's trap handles reaches the caller.
std::vector<std::string> CollectFolderFiles(const std::string& folder, const std::string& pattern,
                                            const ScanHooks& hooks = {});

// Appends to `folderList` (folder paths ending in "/") the sub-folders of its items in level order: all
// sub-folders of the first level, grouped by parent in list order and by name within a parent, then the
// next level, and so on (only the first level unless `recurse`). Folders whose sub-folders cannot be
// listed because access is denied or they are gone are removed, silently. Sub-folders with unsafe names,
// 22- or 1046-valued ones and those reached a second time (through links) are neither listed nor entered;
// items given at 260 characters or more are kept but not entered.
void GetSubDirectories2016(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks = {});

// The names of the regular files in `folder` (a trailing separator or none) that match `pattern` (see
// WildcardPattern), hidden ones included, by name ignoring ASCII case; empty when none match or the
// folder cannot be listed.
std::vector<std::string> ListFilesInFolder(const std::string& folder, const std::string& pattern);

// True when `path` names a regular file (links followed) whose path is well-formed UTF-8; folders, FIFOs,
// sockets and devices are never existing files, and nothing is opened.
bool IsExistingFile(const std::string& path);

// True when the folder name holds "?", a character below 32 or one from 127 to 159, or is not well-formed
// UTF-8 (such a name cannot be passed on as text).
bool HasUnsafeChars(std::string_view name);

} // namespace brantlewick
