// SPDX-License-Identifier: GPL-3.0-or-later
// Where converted bytes go: the room the conversion writes into, and a string to collect them in (the
// files' draining sink is the other place they end up in).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
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

} // namespace brantlewick
