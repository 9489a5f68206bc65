// SPDX-License-Identifier: GPL-3.0-or-later
// Output path choice: never an input, never a result of another input of the same batch.
#include "OutputNaming.h"

#include "PathHelpers.h"

#include <climits>
#include <cstdlib>
#include <memory>

namespace brantlewick {

namespace {

// The folder as the file system resolves it, plus the bare name; nothing when the folder is missing.
std::optional<std::string> ResolvedSpelling(const std::string& path) {
    std::string folder = FolderOf(path);
    if (folder.empty()) {
        folder = ".";
    }
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(folder.c_str(), nullptr), &std::free);
    if (!resolved) {
        return std::nullopt;
    }
    return std::string(resolved.get()) + kPathSeparator + FileNameOf(path);
}

} // namespace

std::string WithOutputSuffix(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) {
        return folder + name + std::string(kOutputSuffix);
    }
    return folder + name.substr(0, dot) + std::string(kOutputSuffix) + name.substr(dot + 1);
}

OutputNamer::OutputNamer(const std::vector<std::string>& inputs) {
    Protect(inputs);
}

void OutputNamer::Protect(const std::vector<std::string>& inputs) {
    for (const std::string& input : inputs) {
        if (const auto id = IdOf(input)) {
            inputIds_.insert(*id);
        }
    }
}

void OutputNamer::Protect(const std::vector<std::optional<FileId>>& inputIds) {
    for (const auto& id : inputIds) {
        if (id) {
            inputIds_.insert(*id);
        }
    }
}

void OutputNamer::Written(const std::optional<FileId>& inputId, const FileStamp& output) {
    writtenFrom_[output.id] = Result{inputId, output};
}

void OutputNamer::WouldWrite(const std::string& input, const std::string& output) {
    if (const auto spelling = ResolvedSpelling(output)) {
        wouldWriteFrom_[*spelling] = IdOf(input);
    }
}

bool OutputNamer::WouldExist(const std::string& output) const {
    const auto spelling = wouldWriteFrom_.empty() ? std::nullopt : ResolvedSpelling(output);
    return spelling && wouldWriteFrom_.contains(*spelling);
}

bool OutputNamer::IsTaken(const std::string& output, const std::string& input,
                          const std::optional<FileId>& inputId) const {
    if (CleanPath(output) == CleanPath(input)) {
        return true;
    }
    if (const auto spelling = wouldWriteFrom_.empty() ? std::nullopt : ResolvedSpelling(output)) {
        const auto planned = wouldWriteFrom_.find(*spelling);
        if (planned != wouldWriteFrom_.end() && (!inputId || planned->second != inputId)) {
            return true;
        }
    }
    if (const auto outputId = IdOf(output)) {
        if (outputId == inputId || inputIds_.contains(*outputId)) {
            return true;
        }
        const auto written = writtenFrom_.find(*outputId);
        return written != writtenFrom_.end() && (!inputId || written->second.input != inputId) &&
               StillTheFile(output, written->second.stamp);
    }
    // An output that does not exist cannot be an input that does.
    if (inputId) {
        return false;
    }
    // Neither exists: the output still is the input if both spell the same place once resolved.
    const auto resolvedOutput = ResolvedSpelling(output);
    return resolvedOutput && resolvedOutput == ResolvedSpelling(input);
}

std::string PlainOutputPath(const std::string& input, const std::optional<std::string>& outputFolder) {
    const std::string name = FileNameOf(input);
    if (outputFolder) {
        return CleanPath(*outputFolder + kPathSeparator + name);
    }
    const std::string folder = FolderOf(input);
    return CleanPath(folder.empty() ? name : folder + kPathSeparator + name);
}

std::string OutputNamer::OutputPathIfFree(const std::string& input,
                                          const std::optional<std::string>& outputFolder) const {
    std::string output = PlainOutputPath(input, outputFolder);
    while (CleanPath(output) == CleanPath(input)) {
        output = CleanPath(WithOutputSuffix(output));
    }
    return output;
}

std::string OutputNamer::OutputPathFor(const std::string& input,
                                       const std::optional<std::string>& outputFolder) const {
    return OutputPathFor(input, outputFolder, IdOf(input));
}

std::string OutputNamer::OutputPathFor(const std::string& input,
                                       const std::optional<std::string>& outputFolder,
                                       const std::optional<FileId>& inputId) const {
    std::string output = PlainOutputPath(input, outputFolder);
    // Each round lengthens the name, and only files that exist can stop it, so this ends.
    while (IsTaken(output, input, inputId)) {
        output = CleanPath(WithOutputSuffix(output));
    }
    return output;
}

} // namespace brantlewick
