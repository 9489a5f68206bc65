// Where the converted form of an input goes, for the window and the command line alike.
#pragma once

#include "FileSystem.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace brantlewick {

inline constexpr std::string_view kOutputSuffix = "-Pellnor.";

// Chooses output paths for one batch. An output keeps the input's file name, in the chosen folder or
// beside the input; when that would name the input itself, or any other input of the batch, however it
// is spelled (letter case, "." and ".." parts, symbolic or hard links), "-Pellnor." goes between the
// name and its extension, as often as needed. So a batch never overwrites or deletes one of its inputs.
class OutputNamer {
public:
    explicit OutputNamer(const std::vector<std::string>& batchInputs = {});

    // `outputFolder` as the user gave it (a trailing separator or none); nothing means beside the input.
    std::string OutputPathFor(const std::string& input, const std::optional<std::string>& outputFolder) const;

private:
    bool WouldReplaceAnInput(const std::string& output, const std::string& input) const;

    std::unordered_set<FileId, FileIdHash> inputIds_;
};

// The name with the suffix: "a.txt" gives "a-Pellnor.txt", "README" gives "README-Pellnor.". The split is
// made in the file name, never in a folder name.
std::string WithOutputSuffix(const std::string& path);

} // namespace brantlewick
