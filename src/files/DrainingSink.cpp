// SPDX-License-Identifier: GPL-3.0-or-later
// The double-buffered draining sink.
#include "brantlewick/files/DrainingSink.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace brantlewick {

DrainingSink::DrainingSink(std::function<void(std::string_view)> drain, std::size_t capacity)
    : drain_(std::move(drain)), capacities_{std::max<std::size_t>(capacity, 1), 0} {
    buffers_[0] = std::make_unique_for_overwrite<char[]>(capacities_[0]);
    SetRoom(buffers_[0].get(), buffers_[0].get() + capacities_[0]);
}

DrainingSink::~DrainingSink() {
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
}

void DrainingSink::DrainLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) {
            return;
        }
        if (!failure_) {
            const std::string_view bytes = pending_; // left alone by the other thread until emptied
            lock.unlock();
            std::exception_ptr failure;
            try {
                drain_(bytes);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            failure_ = failure;
        }
        pending_ = {};
        changed_.notify_all();
    }
}

void DrainingSink::WaitUntilDrained(std::unique_lock<std::mutex>& lock) {
    changed_.wait(lock, [this] { return pending_.empty(); });
    if (failure_) {
        std::rethrow_exception(failure_);
    }
}

void DrainingSink::HandOver() {
    CloseRoom();
    char* const filled = buffers_[filling_].get();
    const std::string_view bytes(filled, static_cast<std::size_t>(cursor_ - filled));
    if (!thread_.joinable() && !drainHere_) {
        try {
            thread_ = std::thread(&DrainingSink::DrainLoop, this);
        } catch (const std::system_error&) {
            drainHere_ = true; // no second thread to be had: drain on this one
        }
    }
    if (drainHere_) {
        if (!bytes.empty()) {
            drain_(bytes);
        }
        SetRoom(filled, filled + capacities_[filling_]);
        return;
    }
    {
        std::unique_lock lock(mutex_);
        WaitUntilDrained(lock); // the thread is done with the other buffer
        if (!bytes.empty()) {
            pending_ = bytes;
        }
    }
    changed_.notify_all();
    filling_ = 1 - filling_;
    // The other buffer has no room yet the first time round; MakeRoom() then allocates it.
    SetRoom(buffers_[filling_].get(), buffers_[filling_].get() + capacities_[filling_]);
}

void DrainingSink::MakeRoom(std::size_t size) {
    HandOver();
    const std::size_t wanted = std::max(size, capacities_[1 - filling_]);
    if (capacities_[filling_] < wanted) {
        capacities_[filling_] = wanted;
        buffers_[filling_] = std::make_unique_for_overwrite<char[]>(wanted);
        SetRoom(buffers_[filling_].get(), buffers_[filling_].get() + wanted);
    }
}

void DrainingSink::Flush() {
    if (!thread_.joinable()) {
        // Everything fitted in one buffer, or there is no thread.
        CloseRoom();
        char* const start = buffers_[filling_].get();
        if (cursor_ != start) {
            drain_(std::string_view(start, static_cast<std::size_t>(cursor_ - start)));
            SetRoom(start, start + capacities_[filling_]);
        }
        return;
    }
    HandOver();
    std::unique_lock lock(mutex_);
    WaitUntilDrained(lock);
}

} // namespace brantlewick
