// SPDX-License-Identifier: GPL-3.0-or-later
// The sub-folder scan with its attribute read passed in, so that tests can show folders with attribute
// values (22, 1046) that a Linux file system never reports.
#pragma once

#include "brantlewick/filelist/FolderScan.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brantlewick::detail {

using AttributeReader = std::function<std::optional<std::uint32_t>(const std::string& path)>;

void GetSubDirectories2016(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks,
                           const AttributeReader& readAttributes);

} // namespace brantlewick::detail
