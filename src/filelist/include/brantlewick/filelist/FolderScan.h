// SPDX-License-Identifier: GPL-3.0-or-later
// Turning folders into lists of input files: the level-order sub-folder scan, the listing of one folder
// by a wildcard pattern and the tests they rely on. Plain C++ and POSIX; the window passes its event
// processing and its error report in.
#pragma once

#include "brantlewick/trap/ErrorTrap.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brantlewick {

// What a scan needs from the window. Both may be left empty.
struct ScanHooks {
    // Lets pending window events run (QCoreApplication::processEvents); called once per folder and
    // sub-folder, so a long scan keeps the window painted and responsive.
    std::function<void()> yield;
    // Where the trap of the sub-folder scan reports a failing statement outside the sub-folder
    // enumeration, before the scan goes on with the next one. None: such failures pass silently.
    ErrorReporter* reporter = nullptr;
    // Results beside their inputs are collected like any other file (see FolderFiles::resultsLeftOut).
    bool keepResults = false;
    // The sub-folders left out for their depth are listed in FolderFiles::tooDeep: each costs a listing of
    // the folder above, and a folder listed there is not entered again through a link.
    bool listTooDeep = false;
};

// What a scan found, and what it passed over that a front end may want to explain.
struct FolderFiles {
    std::vector<std::string> files;
    // Files that are this program's result for another file of their folder ("a-Pellnor.txt" beside
    // "a.txt", "a-Pellnor-Pellnor.txt" beside either), left out so that adding a folder again after a run
    // does not convert the results once more; none with ScanHooks::keepResults.
    std::vector<std::string> resultsLeftOut;
    // Sub-folders (paths ending in a separator) left out with everything in them because the folder above
    // has a path of 260 characters or more; only with ScanHooks::listTooDeep.
    std::vector<std::string> tooDeep;
    // Sub-folders (ending in a separator; never a folder the scan was given) passed over because they
    // cannot be listed (access denied, or gone), each with the reason.
    std::vector<std::pair<std::string, std::string>> unreadable;
};

// Every file in `folder` (given without a trailing separator; "/" for the root) and in all its
// sub-folders whose name matches `pattern`, as cleaned paths: the folder's own files first, then those of
// the sub-folders in level order, each folder's files by name. Names beginning with "~", writable
// dot-files (attribute value 34) and results beside their inputs (see FolderFiles) are left out, as is
// every folder the sub-folder scan leaves out. An empty `folder` gives nothing. Anything thrown besides
// what the scan's trap handles reaches the caller.
FolderFiles CollectFolderFiles(const std::string& folder, const std::string& pattern,
                               const ScanHooks& hooks = {});

// The names of the regular files in `folder` (a trailing separator or none) that match `pattern` (see
// WildcardPattern), hidden ones included, by name ignoring ASCII case; empty when none match or the
// folder cannot be listed.
std::vector<std::string> ListFilesInFolder(const std::string& folder, const std::string& pattern);

// The files a path the user named stands for, alike when dropped on the window and given on the command
// line: for a folder (a link to one, or with separators at its end), its files and those of its
// sub-folders as CollectFolderFiles finds them for "*.*"; nothing when `path` names no folder, so that it
// stands for itself.
std::optional<FolderFiles> FilesOfFolder(const std::string& path, const ScanHooks& hooks = {});

// Throws an EngineError that says why `folder` cannot be listed; returns when it can. The scan passes over
// such a folder in silence, which a front end may want to explain.
void CheckFolderListable(const std::string& folder);

} // namespace brantlewick
