// A run with several jobs that stops half-way, after its front end refused to hear of a file being written,
// leaves what a run with one job leaves: nothing of the files converted ahead.
#include "Batch.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace brantlewick {
namespace {

struct StoppingFrontEnd final : BatchListener {
    std::vector<std::string> list;
    std::size_t converted = 0;

    std::string InputAt(std::size_t position) override { return list.at(position); }
    std::vector<std::string> Inputs() override { return list; }
    FileSettings SettingsFor(const std::string& /*input*/) override { return {}; }
    void Progress(const FileProgress& progress) override {
        if (progress.stage == FileProgress::Stage::Writing && progress.position == 3) {
            throw std::runtime_error("refused");
        }
        converted += progress.stage == FileProgress::Stage::Converted ? 1 : 0;
    }
    void Failure(BatchStep /*step*/, std::string_view /*input*/, const std::exception& /*error*/) override {}
    bool MustStop() override { return converted == 20; }
};

TEST(ParallelBatchTest, AStopAndARefusalLeaveWhatOneJobLeaves) {
    std::string listings[2];
    for (const unsigned jobs : {1u, 4u}) {
        const testing::TempDir dir;
        StoppingFrontEnd frontEnd;
        for (int i = 0; i < 60; ++i) {
            frontEnd.list.push_back(dir / ("f" + std::to_string(i)));
            testing::WriteBytes(frontEnd.list.back(), "A. b");
        }
        EXPECT_EQ(Batch(1, false, jobs).Run(frontEnd, 60).converted, 20u);
        listings[jobs / 4] = testing::ListNames(dir.Path());
    }
    EXPECT_TRUE(listings[0].starts_with("f0|f0-Pellnor.|f1|f1-Pellnor.|f10|f10-Pellnor.|f11|"))
        << listings[0];
    EXPECT_EQ(listings[1], listings[0]);
}

} // namespace
} // namespace brantlewick
