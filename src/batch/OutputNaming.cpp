// SPDX-License-Identifier: GPL-3.0-or-later
// Output path choice: never an input, never a result of another input of the same batch.
#include "OutputNamer.h"

#include "brantlewick/filesystem/PathHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace brantlewick {

std::optional<std::string> PathInResolvedFolder(const std::string& path) {
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

std::string WithOutputSuffix(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) {
        return folder + name + std::string(kOutputSuffix);
    }
    return folder + name.substr(0, dot) + std::string(kOutputSuffix) + name.substr(dot + 1);
}

std::vector<std::string> NamesWithResultNamed(std::string_view name) {
    constexpr std::string_view kSuffix = kOutputSuffix.substr(0, kOutputSuffix.size() - 1); // "-Pellnor"
    std::vector<std::string> names;
    std::string current(name);
    for (;;) {
        const auto dot = current.rfind('.');
        if (dot == std::string::npos || !std::string_view(current).substr(0, dot).ends_with(kSuffix)) {
            return names;
        }
        // Without an extension the input's name may have ended in the dot, or had none.
        if (dot + 1 == current.size()) {
            names.push_back(current.substr(0, dot - kSuffix.size()));
        }
        current.erase(dot - kSuffix.size(), kSuffix.size());
        names.push_back(current);
    }
}

OutputNamer::OutputNamer(const std::vector<std::string>& inputs) {
    Protect(inputs);
}

void OutputNamer::Protect(const std::vector<std::string>& inputs) {
    std::vector<std::optional<FileId>> ids;
    ids.reserve(inputs.size());
    for (const std::string& input : inputs) {
        ids.push_back(IdOf(input));
    }
    Protect(inputs, ids);
}

void OutputNamer::Protect(const std::vector<std::string>& inputs,
                          const std::vector<std::optional<FileId>>& inputIds) {
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (inputIds[i]) {
            inputIds_.insert(*inputIds[i]);
        } else if (auto spelling = PathInResolvedFolder(inputs[i]); spelling && !inputs[i].empty()) {
            missingInputs_.insert(std::move(*spelling));
        }
    }
}

void OutputNamer::Written(const std::optional<FileId>& inputId, const FileStamp& output) {
    writtenFrom_[output.id] = Result{inputId, output};
}

void OutputNamer::WouldWrite(const std::string& input, const std::string& output) {
    if (auto spelling = PathInResolvedFolder(output)) {
        wouldDelete_.erase(*spelling);
        wouldWriteFrom_[std::move(*spelling)] = IdOf(input);
    }
}

void OutputNamer::WouldDelete(const std::string& output) {
    // What the delete would leave in place: a folder, or anything in a folder the run may not change.
    struct stat info {};
    const std::string folder = FolderOf(output);
    if (::lstat(output.c_str(), &info) != 0 || S_ISDIR(info.st_mode) ||
        ::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return;
    }
    if (auto spelling = PathInResolvedFolder(output)) {
        wouldWriteFrom_.erase(*spelling);
        wouldDelete_.insert(std::move(*spelling));
    }
}

bool OutputNamer::WouldExist(const std::string& output) const {
    if (wouldWriteFrom_.empty() && wouldDelete_.empty()) {
        return PathExists(output);
    }
    const auto spelling = PathInResolvedFolder(output);
    if (spelling && wouldWriteFrom_.contains(*spelling)) {
        return true;
    }
    return !(spelling && wouldDelete_.contains(*spelling)) && PathExists(output);
}

bool OutputNamer::IsMissingInput(const std::string& output) const {
    if (missingInputs_.empty()) {
        return false;
    }
    const auto spelling = PathInResolvedFolder(output);
    return spelling && missingInputs_.contains(*spelling);
}

bool OutputNamer::WouldBeWrittenByAnother(const std::string& output,
                                          const std::optional<FileId>& inputId) const {
    if (wouldWriteFrom_.empty()) {
        return false;
    }
    const auto spelling = PathInResolvedFolder(output);
    if (!spelling) {
        return false;
    }
    const auto planned = wouldWriteFrom_.find(*spelling);
    return planned != wouldWriteFrom_.end() && (!inputId || planned->second != inputId);
}

bool OutputNamer::IsTaken(const std::string& output, const std::string& input,
                          const std::optional<FileId>& inputId) const {
    if (CleanPath(output) == CleanPath(input) || WouldBeWrittenByAnother(output, inputId) ||
        IsMissingInput(output)) {
        return true;
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
    const auto resolvedOutput = PathInResolvedFolder(output);
    return resolvedOutput && resolvedOutput == PathInResolvedFolder(input);
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
    while (CleanPath(output) == CleanPath(input) || IsMissingInput(output)) {
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
