// SPDX-License-Identifier: GPL-3.0-or-later
// The room the conversion writes into, and the string sink.
#include "brantlewick/engine/OutputSink.h"

#include <algorithm>
#include <cstring>

namespace brantlewick {

void OutputSink::AppendInPieces(std::string_view bytes) {
    while (!bytes.empty()) {
        if (cursor_ == limit_) {
            MakeRoom(1);
        }
        const std::size_t piece = std::min(bytes.size(), static_cast<std::size_t>(limit_ - cursor_));
        std::memcpy(cursor_, bytes.data(), piece);
        cursor_ += piece;
        bytes.remove_prefix(piece);
    }
}

void OutputSink::CloseRoom() noexcept {
    if (cursor_ != roomStart_) {
        written_ += static_cast<std::uint64_t>(cursor_ - roomStart_);
        last_ = cursor_[-1];
    }
    roomStart_ = cursor_;
}

void OutputSink::SetRoom(char* start, char* limit) noexcept {
    CloseRoom();
    cursor_ = roomStart_ = start;
    limit_ = limit;
}

StringSink::StringSink(std::string& out) : out_(out) {
    char* const end = out_.data() + out_.size();
    SetRoom(end, end);
}

void StringSink::MakeRoom(std::size_t size) {
    CloseRoom();
    const auto used = static_cast<std::size_t>(cursor_ - out_.data());
    out_.resize(std::max({used + size, 2 * used, out_.capacity()}));
    SetRoom(out_.data() + used, out_.data() + out_.size());
}

void StringSink::Close() {
    CloseRoom();
    out_.resize(static_cast<std::size_t>(cursor_ - out_.data()));
    char* const end = out_.data() + out_.size();
    SetRoom(end, end);
}

} // namespace brantlewick
