// SPDX-License-Identifier: GPL-3.0-or-later
// The sink a file's conversion writes into: a bounded buffer drained to the file on a thread of its own.
#pragma once

#include "brantlewick/engine/OutputSink.h"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

namespace brantlewick {

// Collects into a buffer and hands it to `drain` whenever it is full and at Flush(). Once a second buffer
// is needed, `drain` runs on a thread of its own while the other buffer fills, so that writing overlaps
// converting; it is never called from two threads at once, and a failure it throws comes out of the next
// Reserve(), Append() or Flush() on the caller's thread. Writing may go on after a flush. Destroying the
// sink drops what was not flushed.
class DrainingSink final : public OutputSink {
public:
    DrainingSink(std::function<void(std::string_view)> drain, std::size_t capacity);
    ~DrainingSink() override;
    DrainingSink(const DrainingSink&) = delete;
    DrainingSink& operator=(const DrainingSink&) = delete;

    // Returns when everything written so far has been drained.
    void Flush();

private:
    void MakeRoom(std::size_t size) override;
    // Hands the filled buffer to the drain thread (starting it the first time) and fills the other one.
    void HandOver();
    void WaitUntilDrained(std::unique_lock<std::mutex>& lock);
    void DrainLoop();

    std::function<void(std::string_view)> drain_;
    std::unique_ptr<char[]> buffers_[2];
    std::size_t capacities_[2];
    int filling_ = 0;
    bool drainHere_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string_view pending_; // handed over and not yet drained; empty while the thread waits
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace brantlewick
