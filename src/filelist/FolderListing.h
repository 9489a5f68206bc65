// SPDX-License-Identifier: GPL-3.0-or-later
// The folder listing under the folder scan: sub-folders and regular files of one folder, in a stable order.
#pragma once

#include "brantlewick/files/EngineError.h"
#include "brantlewick/filesystem/FileSystem.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brantlewick {

class FolderListError;

// A direct sub-folder and the identity of the folder it leads to (a link followed); no identity when that
// folder could not be examined (gone since the listing, or not searchable).
struct SubFolder {
    std::string name;
    std::optional<FileId> id;
};

// The direct sub-folders of `folder` (links to folders included), sorted by name ignoring ASCII case so
// that every run lists them alike. Throws FolderListError when the folder cannot be listed.
std::vector<SubFolder> ListSubFolders(const std::string& folder);

// The names of the entries of `folder` that are regular files after following links, sorted like
// ListSubFolders; `wanted` filters names first. An entry the listing itself marks as a plain file is
// taken at its word; only links and entries of unknown type are examined, and nothing is opened, so
// FIFOs, sockets and devices cannot block. They, folders and dangling links are left out. Throws
// FolderListError when the folder cannot be listed.
std::vector<std::string> ListRegularFiles(const std::string& folder,
                                          const std::function<bool(std::string_view name)>& wanted = {});

// Failure to list a folder; `AccessDeniedOrMissing()` tells the cases a scan drops silently.
class FolderListError : public EngineError {
public:
    FolderListError(const std::string& folder, int error);
    bool AccessDeniedOrMissing() const noexcept;

private:
    int error_;
};

} // namespace brantlewick
