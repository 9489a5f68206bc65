// SPDX-License-Identifier: GPL-3.0-or-later
// The folder scan: the level-order sub-folder collection under its numbered error trap, and the listing
// of each folder's files.
#include "brantlewick/filelist/FolderScan.h"
#include "FolderScanSeam.h"

#include "FolderListing.h"
#include "Wildcard.h"
#include "brantlewick/base/Utf8.h"
#include "brantlewick/batch/OutputNaming.h"
#include "brantlewick/filesystem/FileSystem.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace brantlewick {

namespace {

// The length limits of the scan count characters, as the platform the limits come from did.
constexpr std::size_t kPathLimit = 260;
// Hidden and system folders (and such links) are the platform's own; only a root is entered with them.
constexpr std::uint32_t kHiddenSystemFolder = 22;
constexpr std::uint32_t kHiddenSystemLink = 1046;
// A writable dot-file; read-only or linked dot-files carry other values and are collected.
constexpr std::uint32_t kHiddenArchiveFile = 34;

const std::string kSeparator(1, kPathSeparator);

class SilentReporter final : public ErrorReporter {
public:
    void ShowErrorReport(const std::string& /*text*/) override {}
};

struct ScanState {
    const ScanHooks& hooks;
    const detail::AttributeReader& readAttributes;
    FolderFiles* passedOver;
    // Every folder found so far: a folder reached again through a link is neither listed nor entered,
    // which ends link loops and lists each file once.
    std::unordered_set<FileId, FileIdHash> reached;
    // Below the folders the scan was given.
    bool belowGiven = false;
};

void Yield(const ScanHooks& hooks) {
    if (hooks.yield) {
        hooks.yield();
    }
}

bool MayEnter(const std::string& folder, std::uint32_t attributes) {
    return IsRootFolder(folder) || (attributes != kHiddenSystemFolder && attributes != kHiddenSystemLink);
}

bool IsListableFolder(const std::string& folder, const ScanState& state) {
    const auto attributes = state.readAttributes(folder);
    return attributes && (*attributes & kAttributeFolder) != 0 && MayEnter(folder, *attributes);
}

bool IsAcceptableSubFolderName(const std::string& name) {
    return utf8::CharacterCount(name) < kPathLimit && !HasUnsafeChars(name) &&
           name.find('?') == std::string::npos && name != "." && name != "..";
}

// Hands `found` the path (ending in a separator) of each sub-folder of `folder` that the scan takes and has
// not reached before. The enumeration's own trap is silent: answers false for a folder that denies access
// or is gone; any other failure ends its enumeration.
template <typename Found>
bool ForEachNewSubFolder(const std::string& folder, ScanState& state, const Found& found) {
    try {
        for (const SubFolder& subFolder : ListSubFolders(folder)) {
            Yield(state.hooks);
            if (IsAcceptableSubFolderName(subFolder.name) && subFolder.id &&
                state.reached.insert(*subFolder.id).second) {
                std::string path = folder;
                path += subFolder.name;
                path += kSeparator;
                found(std::move(path));
            }
        }
    } catch (const FolderListError& error) {
        if (error.AccessDeniedOrMissing() && state.belowGiven && state.passedOver != nullptr) {
            state.passedOver->unreadable.emplace_back(folder, error.Reason());
        }
        return !error.AccessDeniedOrMissing();
    } catch (...) {
    }
    return true;
}

bool IsTooDeep(const std::string& folder, const std::optional<std::uint32_t>& attributes) {
    return attributes && (*attributes & kAttributeFolder) != 0 && utf8::CharacterCount(folder) >= kPathLimit;
}

// Removes, for each index in `unreadable`, the first item equal to the one at that index, as the scan
// drops a folder by its path; a path given twice thus loses its first copies.
std::size_t RemoveUnreadable(std::vector<std::string>& folderList,
                             const std::vector<std::size_t>& unreadable) {
    if (unreadable.empty()) {
        return 0;
    }
    std::unordered_map<std::string, std::size_t> pending;
    for (const std::size_t index : unreadable) {
        ++pending[folderList[index]];
    }
    std::vector<std::string> kept;
    kept.reserve(folderList.size() - unreadable.size());
    for (std::string& folder : folderList) {
        const auto found = pending.find(folder);
        if (found != pending.end() && found->second > 0) {
            --found->second;
        } else {
            kept.push_back(std::move(folder));
        }
    }
    folderList.swap(kept);
    return unreadable.size();
}

// One level of the scan over the items of `folderList`, under its own trap as every call of the procedure
// has; returns how many of those items remain. The trap's line numbers count the procedure's statements
// from 100 in steps of 2; those that cannot fail (100, 102 and 116: the list of new folders and the two
// loops, and 108) run outside it.
std::size_t ScanLevel(std::vector<std::string>& folderList, bool recurse, ScanState& state) {
    const ScanHooks& hooks = state.hooks;
    SilentReporter silent;
    ErrorTrap trap(hooks.reporter != nullptr ? *hooks.reporter : silent, kSubFolderScanLocation);
    std::vector<std::string> newFolders;
    std::vector<std::size_t> unreadable;
    const std::size_t given = folderList.size();
    for (std::size_t i = 0; i < given; ++i) {
        const std::string& folder = folderList[i];
        std::optional<std::uint32_t> attributes;
        const auto listable = trap.Line(104, [&] {
            attributes = state.readAttributes(folder);
            return attributes && (*attributes & kAttributeFolder) != 0 &&
                   utf8::CharacterCount(folder) < kPathLimit;
        });
        if (!listable.value_or(false)) {
            if (hooks.listTooDeep && state.passedOver != nullptr && IsTooDeep(folder, attributes)) {
                ForEachNewSubFolder(folder, state, [&](std::string path) {
                    state.passedOver->tooDeep.push_back(std::move(path));
                });
            }
            continue;
        }
        trap.Line(106, [&] { Yield(hooks); });
        if (!MayEnter(folder, *attributes)) { // line 108, which cannot fail
            continue;
        }
        trap.Line(110, [&] {
            // A folder that denies access or is gone is dropped; one whose enumeration fails otherwise is
            // kept.
            if (!ForEachNewSubFolder(folder, state,
                                     [&](std::string path) { newFolders.push_back(std::move(path)); })) {
                unreadable.push_back(i);
            }
        });
    }
    std::size_t remaining = given;
    trap.Line(112, [&] { remaining = given - RemoveUnreadable(folderList, unreadable); });
    std::size_t foundHere = newFolders.size();
    trap.Line(114, [&] {
        if (recurse && !newFolders.empty()) {
            state.belowGiven = true;
            foundHere = ScanLevel(newFolders, true, state);
        }
    });
    for (std::size_t i = 0; i < newFolders.size(); ++i) {
        trap.Line(118, [&] { Yield(hooks); });
        trap.Line(120, [&] {
            // Deeper folders were checked by the level that found them; checking again would stat every
            // folder once per level above it.
            if (i >= foundHere || IsListableFolder(newFolders[i], state)) {
                folderList.push_back(std::move(newFolders[i]));
            }
        });
    }
    return remaining;
}

// The names of the regular files of `folder` (ending in a separator) that match; a name or path that is
// not well-formed UTF-8 cannot be passed on and counts as missing.
std::vector<std::string> MatchingFiles(const std::string& folder, const WildcardPattern& wildcard) {
    if (!utf8::IsValid(folder)) {
        return {};
    }
    try {
        return ListRegularFiles(
            folder, [&](std::string_view name) { return utf8::IsValid(name) && wildcard.Matches(name); });
    } catch (const FolderListError&) {
        return {};
    }
}

// Whether `name` in `folder` (ending in a separator) is named as a result of another file there.
bool IsResultOfAFileBeside(const std::string& folder, const std::string& name) {
    for (const std::string& input : NamesWithResultNamed(name)) {
        if (IsExistingFile(folder + input)) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace detail {

void AppendSubFolders(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks,
                      const AttributeReader& readAttributes, FolderFiles* passedOver) {
    ScanState state{hooks, readAttributes, passedOver, {}};
    for (const std::string& folder : folderList) {
        if (const auto id = IdOf(folder)) {
            state.reached.insert(*id);
        }
    }
    ScanLevel(folderList, recurse, state);
}

} // namespace detail

void AppendSubFolders(std::vector<std::string>& folderList, bool recurse, const ScanHooks& hooks,
                      FolderFiles* passedOver) {
    detail::AppendSubFolders(folderList, recurse, hooks, &FileAttributes, passedOver);
}

FolderFiles CollectFolderFiles(const std::string& folder, const std::string& pattern,
                               const ScanHooks& hooks) {
    FolderFiles found;
    if (folder.empty()) {
        return found; // not the root: an empty answer from a picker must not scan the whole disk
    }
    std::vector<std::string> folders{folder + kSeparator};
    AppendSubFolders(folders, true, hooks, &found);
    const WildcardPattern wildcard(pattern);
    for (const std::string& listed : folders) {
        // Listing a large tree takes as long as scanning it; the window keeps painting meanwhile too.
        Yield(hooks);
        for (const std::string& name : MatchingFiles(listed, wildcard)) {
            if (name.front() == '~') {
                continue;
            }
            std::string path = listed + name;
            // Only a name beginning with "." carries the hidden bit, so only such a file can read 34.
            if (name.front() == '.' && FileAttributes(path) == kHiddenArchiveFile) {
                continue;
            }
            if (!hooks.keepResults && IsResultOfAFileBeside(listed, name)) {
                found.resultsLeftOut.push_back(CleanPath(path));
                continue;
            }
            found.files.push_back(CleanPath(path));
        }
    }
    return found;
}

std::optional<FolderFiles> FilesOfFolder(const std::string& path, const ScanHooks& hooks) {
    if (!IsFolder(path)) {
        return std::nullopt;
    }
    return CollectFolderFiles(WithoutTrailingSeparators(path), "*.*", hooks);
}

void CheckFolderListable(const std::string& folder) {
    ListSubFolders(folder);
}

std::vector<std::string> ListFilesInFolder(const std::string& folder, const std::string& pattern) {
    // The listing needs no separator at the end; only the empty folder becomes the root by gaining one.
    return MatchingFiles(folder.empty() ? kSeparator : folder, WildcardPattern(pattern));
}

bool IsExistingFile(const std::string& path) {
    return utf8::IsValid(path) && IsRegularFile(path);
}

bool HasUnsafeChars(std::string_view name) {
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = utf8::Next(name, pos);
        if (c == utf8::kInvalid || c == U'?' || c < 32 || (c >= 127 && c <= 159)) {
            return true;
        }
    }
    return false;
}

} // namespace brantlewick
