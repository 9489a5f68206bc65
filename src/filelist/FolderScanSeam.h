// SPDX-License-Identifier: GPL-3.0-or-later
// The folder scan's parts below CollectFolderFiles, and the sub-folder scan with its attribute read passed
// in, so that tests can show folders with attribute values (22, 1046) that a Linux file system never reports.
#pragma once

#include "brantlewick/filelist/FolderScan.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

// The location the error report names for a failure in AppendSubFolders.
inline constexpr std::string_view kSubFolderScanLocation =
    "in Tovarquin2021/08/31.AddFolder.GetSubDirectories2016 ";

// Appends to `folderList` (folder paths ending in "/") the sub-folders of its items in level order: all
// sub-folders of the first level, grouped by parent in list order and by name within a parent, then the
// next level, and so on (only the first level unless `recurse`). Folders whose sub-folders cannot be
// listed because access is denied or they are gone are removed, silently. Sub-folders with unsafe names,
// 22- or 1046-valued ones and those reached a second time (through links) are neither listed nor entered;
// items given at 260 characters or more are kept but not entered.
// What it passes over goes to `passedOver` when one is given.
void AppendSubFolders(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks = {},
                      FolderFiles* passedOver = nullptr);

// True when `path` names a regular file (links followed) whose path is well-formed UTF-8; folders, FIFOs,
// sockets and devices are never existing files, and nothing is opened.
bool IsExistingFile(const std::string& path);

// True when the folder name holds "?", a character below 32 or one from 127 to 159, or is not well-formed
// UTF-8 (such a name cannot be passed on as text).
bool HasUnsafeChars(std::string_view name);

namespace detail {

using AttributeReader = std::function<std::optional<std::uint32_t>(const std::string& path)>;

void AppendSubFolders(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks,
                      const AttributeReader& readAttributes, FolderFiles* passedOver = nullptr);

} // namespace detail

} // namespace brantlewick
