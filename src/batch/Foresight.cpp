// SPDX-License-Identifier: GPL-3.0-or-later
// Where one file's result would go, told by a dry run of the batch itself rather than by a second naming
// rule that could disagree with it.
#include "brantlewick/batch/Batch.h"

#include "OutputNamer.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <unordered_set>

namespace brantlewick {
namespace {

// Whether the two file names, each with "-Pellnor." added as often as needed, can ever be the same: only
// then can the result of one take the name the other's would get. Each addition lengthens a name by
// about its suffix, and two such chains that meet do so within one addition past the longer name.
bool NamesCanMeet(const std::string& first, const std::string& second) {
    const std::size_t longest = std::max(first.size(), second.size()) + 2 * kOutputSuffix.size();
    std::unordered_set<std::string> firstNames;
    for (std::string name = first; name.size() <= longest; name = WithOutputSuffix(name)) {
        firstNames.insert(name);
    }
    for (std::string name = second; name.size() <= longest; name = WithOutputSuffix(name)) {
        if (firstNames.contains(name)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> ResolvedFolderOf(const std::string& path) {
    const auto resolved = PathInResolvedFolder(path);
    return resolved ? std::optional(FolderOf(*resolved)) : std::nullopt;
}

// The dry run's front end: the earlier inputs that cannot bear on the file are passed over, and the run
// ends as the file's writing would begin.
class Foresight final : public BatchSource, public BatchSink, public BatchScheduler {
public:
    Foresight(const std::vector<std::string>& inputs, std::size_t position, const FileSettings& settings)
        : inputs_(inputs), position_(position), settings_(settings), bears_(position + 1, false) {
        const std::string target = PlainOutputPath(inputs[position], settings.outputFolder);
        const auto folder = ResolvedFolderOf(target);
        bears_[position] = true;
        for (std::size_t i = 0; folder && i < position; ++i) {
            if (inputs[i].empty()) {
                continue;
            }
            const std::string earlier = PlainOutputPath(inputs[i], settings.outputFolder);
            bears_[i] =
                NamesCanMeet(FileNameOf(earlier), FileNameOf(target)) && ResolvedFolderOf(earlier) == folder;
        }
    }

    const ForeseenResult& Result() const { return result_; }

    std::string InputAt(std::size_t position) override {
        return bears_.at(position) ? inputs_[position] : "";
    }
    std::vector<std::string> Inputs() override { return inputs_; }
    FileSettings SettingsFor(const std::string& /*input*/) override { return settings_; }

    bool FileStarted(std::size_t position, std::string_view /*input*/) override {
        current_ = position;
        return true;
    }
    bool FileWriting(const FileResult& file) override {
        if (file.position != position_) {
            return true;
        }
        result_.output = file.output;
        result_.replaces = file.replaces;
        return false;
    }
    bool FileFailed(BatchStep /*step*/, std::string_view /*input*/, const std::exception& error) override {
        if (current_ == position_) {
            result_.problem = error.what();
        }
        return true;
    }

private:
    const std::vector<std::string>& inputs_;
    std::size_t position_;
    const FileSettings& settings_;
    std::vector<bool> bears_; // by position: whether the dry run must look at the input
    std::size_t current_ = 0;
    ForeseenResult result_;
};

} // namespace

ForeseenResult ForeseeResult(const std::vector<std::string>& inputs, std::size_t position,
                             const FileSettings& settings) {
    if (position >= inputs.size() || inputs[position].empty()) {
        return {};
    }
    Foresight foresight(inputs, position, settings);
    BatchOptions dryRun;
    dryRun.dryRun = true;
    Batch(dryRun).Run({foresight, foresight, foresight}, position + 1);
    return foresight.Result();
}

} // namespace brantlewick
