// SPDX-License-Identifier: GPL-3.0-or-later
// Where the converted form of an input goes: the names one batch chooses, with every protection.
#pragma once

#include "brantlewick/batch/OutputNaming.h"
#include "brantlewick/filesystem/FileSystem.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace brantlewick {

// Chooses output paths for one batch. An output keeps the input's file name, in the chosen folder or
// beside the input. When that would name the input itself or any input the batch protects, however it is
// spelled (letter case, "." and ".." parts, symbolic or hard links), or a result an earlier file of the
// batch wrote, "-Pellnor." goes between the name and its extension, as often as needed. So a batch never
// overwrites or deletes one of its inputs, and every input keeps its own result. The one exception is an
// input listed twice: its second conversion replaces the result of its first. A listed name that names
// nothing is protected too: a result that took it would be converted again as that input.
class OutputNamer {
public:
    explicit OutputNamer(const std::vector<std::string>& inputs = {});

    // Adds to the inputs to protect; what was protected stays so.
    void Protect(const std::vector<std::string>& inputs);
    // The same with the identities the caller looked up, one for each input (nothing: it does not exist).
    void Protect(const std::vector<std::string>& inputs, const std::vector<std::optional<FileId>>& inputIds);

    // `outputFolder` as the user gave it (a trailing separator or none); nothing means beside the input.
    std::string OutputPathFor(const std::string& input, const std::optional<std::string>& outputFolder) const;
    // The same for an input whose identity the caller knows (nothing: it does not exist).
    std::string OutputPathFor(const std::string& input, const std::optional<std::string>& outputFolder,
                              const std::optional<FileId>& inputId) const;

    // What OutputPathFor() gives for an input that exists when nothing is found under that name: the first
    // name that is neither the input's own spelling nor a listed name that names nothing. Known without
    // looking at the file system while every listed name names a file.
    std::string OutputPathIfFree(const std::string& input,
                                 const std::optional<std::string>& outputFolder) const;

    // Notes that the file `output` is the result for the input `inputId`, so that no later file of the batch
    // replaces it.
    void Written(const std::optional<FileId>& inputId, const FileStamp& output);

    // A dry run's record of what the run would have done, where nothing is written or deleted: later files
    // are named, and told whether they replace a file, as if it had been.
    void WouldWrite(const std::string& input, const std::string& output);
    void WouldDelete(const std::string& output);
    // Whether a file would be at `output` by now.
    bool WouldExist(const std::string& output) const;

private:
    bool IsTaken(const std::string& output, const std::string& input,
                 const std::optional<FileId>& inputId) const;
    bool IsMissingInput(const std::string& output) const;
    bool WouldBeWrittenByAnother(const std::string& output, const std::optional<FileId>& inputId) const;

    std::unordered_set<FileId, FileIdHash> inputIds_;
    // Listed names that named nothing when they were protected, as the file system resolves them.
    std::unordered_set<std::string> missingInputs_;
    // Each result of the batch and the input it came from (nothing when that input could not be examined).
    // Another run may delete a result and make a file that takes over its inode number: the stamp tells.
    struct Result {
        std::optional<FileId> input;
        FileStamp stamp;
    };
    std::unordered_map<FileId, Result, FileIdHash> writtenFrom_;
    // The same for a dry run, by the result's path as the file system resolves it, and the old files it
    // would have deleted.
    std::unordered_map<std::string, std::optional<FileId>> wouldWriteFrom_;
    std::unordered_set<std::string> wouldDelete_;
};

// `path` with its folder as the file system resolves it (links, "." and ".." followed) and its bare name;
// nothing when the folder is missing. Two paths with the same answer name the same place, whether or not
// a file is there.
std::optional<std::string> PathInResolvedFolder(const std::string& path);

// The output's path before any suffix: the input's name in the output folder, or beside the input. Every
// suffix keeps it in that folder.
std::string PlainOutputPath(const std::string& input, const std::optional<std::string>& outputFolder);

} // namespace brantlewick
