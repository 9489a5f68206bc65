// SPDX-License-Identifier: GPL-3.0-or-later
// The workers and the hand-over of their results.
#include "ConversionPool.h"
#include "brantlewick/files/ConvertFile.h"

#include <algorithm>
#include <system_error>

namespace brantlewick {

namespace {

std::optional<AheadResult> Convert(const AheadJob& job) noexcept {
    try {
        InputFile input(job.input);
        if (job.dryRun) {
            const ConversionCounts counts =
                ConvertStream(input, job.settings.conversion, [](std::string_view) {});
            return AheadResult{nullptr, *input.Id(), {}, counts};
        }
        auto output = std::make_unique<SafeOutputFile>(job.plainOutput, input.Permissions());
        const ConversionCounts counts = ConvertStream(
            input, job.settings.conversion, [&output](std::string_view bytes) { output->Write(bytes); });
        FileStamp outputId = output->Finish();
        return AheadResult{std::move(output), *input.Id(), std::move(outputId), counts};
    } catch (...) {
        // Whatever went wrong happens again when the run converts the file in its turn, and is reported
        // there, in order.
        return std::nullopt;
    }
}

// Whether a finished result waits under a temporary name.
bool WaitsNamed(const std::optional<AheadResult>& result) {
    return result && result->output && result->output->Named();
}

} // namespace

ConversionPool::ConversionPool(unsigned workers) : jobs_(std::size_t{workers} + 1) {
    for (unsigned i = 0; i < workers; ++i) {
        try {
            workers_.emplace_back(&ConversionPool::Work, this);
        } catch (const std::system_error&) {
            break; // the taking thread does whatever the workers leave
        }
    }
}

ConversionPool::~ConversionPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void ConversionPool::Add(std::vector<std::pair<std::size_t, AheadJob>>&& jobs) {
    if (jobs.empty()) {
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        for (auto& [key, job] : jobs) {
            slots_[key] = Slot{AheadConversion{std::move(job), std::nullopt}, State::Queued};
        }
    }
    queued_.notify_all();
}

void ConversionPool::Run(Slots::iterator slot, std::unique_lock<std::mutex>& lock) {
    slot->second.state = State::Running;
    ++running_;
    const AheadJob& job = slot->second.conversion.job; // left alone by every other thread while running
    lock.unlock();
    std::optional<AheadResult> result = Convert(job);
    lock.lock();
    --running_;
    named_ += WaitsNamed(result) ? 1 : 0;
    slot->second.conversion.result = std::move(result);
    slot->second.state = State::Done;
    done_.notify_all();
}

bool ConversionPool::RunQueued(std::unique_lock<std::mutex>& lock) {
    const auto slot = std::find_if(slots_.begin(), slots_.end(),
                                   [](const auto& entry) { return entry.second.state == State::Queued; });
    if (slot == slots_.end() || running_ + named_ >= jobs_) {
        return false;
    }
    Run(slot, lock);
    return true;
}

void ConversionPool::Work() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (!RunQueued(lock)) {
            queued_.wait(lock);
        }
    }
}

std::optional<AheadConversion> ConversionPool::Take(std::size_t key) {
    std::unique_lock lock(mutex_);
    const auto slot = slots_.find(key);
    if (slot == slots_.end()) {
        return std::nullopt;
    }
    while (slot->second.state != State::Done) {
        if (slot->second.state == State::Queued) {
            Run(slot, lock);
        } else if (!RunQueued(lock)) {
            done_.wait(lock);
        }
    }
    AheadConversion conversion = std::move(slot->second.conversion);
    slots_.erase(slot);
    if (WaitsNamed(conversion.result)) {
        --named_;
        queued_.notify_all(); // a worker may begin another
    }
    return conversion;
}

bool ConversionPool::GiveBackSpace() {
    Slots dropped;
    {
        std::unique_lock lock(mutex_);
        std::erase_if(slots_, [](const auto& slot) { return slot.second.state == State::Queued; });
        done_.wait(lock, [this] {
            return std::none_of(slots_.begin(), slots_.end(),
                                [](const auto& slot) { return slot.second.state == State::Running; });
        });
        dropped.swap(slots_);
        named_ = 0;
    }
    return std::any_of(dropped.begin(), dropped.end(), [](const auto& slot) {
        const std::optional<AheadResult>& result = slot.second.conversion.result;
        return result && result->output;
    });
}

} // namespace brantlewick
