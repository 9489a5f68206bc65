// SPDX-License-Identifier: GPL-3.0-or-later
// Where converted bytes go: the room the conversion writes into, and the two places it ends up in (a
// string, or a bounded buffer drained to a file on a thread of its own).
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace brantlewick {

// One change the conversion made, at a position of its output (counted as OutputSink::Written() counts).
struct Edit {
    enum class Kind : std::uint8_t {
        Breaks, // `count` CR LF pairs inserted from `at` on
        Blanks, // `count` blanks dropped just before `at`
    };
    Kind kind;
    std::uint64_t at;
    std::uint64_t count;
    friend bool operator==(const Edit&, const Edit&) = default;
};

// The converter writes straight into the room that Reserve() hands out, so the hot loop pays for no call
// per byte run; the sink decides what happens to bytes once its room runs out.
class OutputSink {
public:
    virtual ~OutputSink() = default;

    // At least `size` writable bytes from the returned position; valid until the next call on the sink.
    char* Reserve(std::size_t size) {
        if (static_cast<std::size_t>(limit_ - cursor_) < size) {
            MakeRoom(size);
        }
        return cursor_;
    }
    // The end of the room Reserve() handed out.
    char* Limit() const noexcept { return limit_; }
    // Everything before `cursor`, which lies in the reserved room, is written.
    void Advance(char* cursor) noexcept { cursor_ = cursor; }
    void Append(std::string_view bytes) {
        if (static_cast<std::size_t>(limit_ - cursor_) >= bytes.size()) {
            cursor_ = std::copy(bytes.begin(), bytes.end(), cursor_);
        } else {
            AppendInPieces(bytes);
        }
    }

    // How many bytes were written, and the last of them ('\0' before the first).
    std::uint64_t Written() const noexcept {
        return written_ + static_cast<std::uint64_t>(cursor_ - roomStart_);
    }
    char LastByte() const noexcept { return cursor_ != roomStart_ ? cursor_[-1] : last_; }
    // The position of `p`, a place in the room Reserve() handed out.
    std::uint64_t PositionOf(const char* p) const noexcept {
        return written_ + static_cast<std::uint64_t>(p - roomStart_);
    }

    // Edits are noted only when the sink was handed a list for them (a preview). Stages ask Marking()
    // before doing anything about them, so a conversion that nobody watches pays nothing.
    void MarkEditsIn(std::vector<Edit>* edits) noexcept { edits_ = edits; }
    bool Marking() const noexcept { return edits_ != nullptr; }
    // Blanks dropped one after another at one place make one edit.
    void Mark(Edit::Kind kind, std::uint64_t at, std::uint64_t count) {
        if (kind == Edit::Kind::Blanks && !edits_->empty() && edits_->back().kind == kind &&
            edits_->back().at == at) {
            edits_->back().count += count;
        } else {
            edits_->push_back({kind, at, count});
        }
    }

protected:
    void AppendInPieces(std::string_view bytes);
    // Passes on or keeps what is written, then calls SetRoom() with room for at least `size` bytes.
    virtual void MakeRoom(std::size_t size) = 0;
    // Counts what the current room holds; call before its bytes are handed away or moved.
    void CloseRoom() noexcept;
    void SetRoom(char* start, char* limit) noexcept;

    char* cursor_ = nullptr;
    char* limit_ = nullptr;

private:
    char* roomStart_ = nullptr;
    std::uint64_t written_ = 0;
    char last_ = '\0';
    std::vector<Edit>* edits_ = nullptr;
};

// A text that would pass what a bounded sink holds; only previews bound what they hold.
class OutputTooLong : public std::length_error {
public:
    OutputTooLong() : std::length_error("the result is too long to hold") {}
};

// Collects into a string; the string holds exactly what was written once Close() ran.
class StringSink final : public OutputSink {
public:
    explicit StringSink(std::string& out);
    void Close();

private:
    void MakeRoom(std::size_t size) override;
    std::string& out_;
};

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
