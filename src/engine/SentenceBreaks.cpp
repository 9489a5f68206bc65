// Streaming sentence-break conversion.
#include "SentenceBreaks.h"

#include "AsciiCase.h"
#include "LineFile.h"
#include "TextEncoding.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brantlewick {

namespace {

// Small enough that the read buffer and the output buffer stay in the processor's second-level cache,
// through which both the kernel's copies and the conversion pass.
constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kOutputBuffer = 128 * 1024;

// The single pass works on windows of 64 bytes: one bit mask says where the stop bytes are, and the bytes
// between stops are copied a whole window at a time and kept up to the next stop, so that neither the
// scan nor the copy branches per byte.
constexpr std::size_t kWindow = 64;
// Replacements up to this size are copied as one fixed-size block.
constexpr std::size_t kShortReplacement = 16;

// Bit i is set when byte i of the window at `p` is one of the stop bytes, found with byte table look-ups.
class TableStops {
public:
    explicit TableStops(const std::array<bool, 256>& isStop) : isStop_(isStop) {}

    std::uint64_t Mask(const char* p) const {
        std::uint64_t mask = 0;
        for (std::size_t i = 0; i < kWindow; ++i) {
            mask |= std::uint64_t{isStop_[static_cast<unsigned char>(p[i])]} << i;
        }
        return mask;
    }

private:
    const std::array<bool, 256>& isStop_;
};

#if defined(__SSE2__)
// The same mask with SSE2 (every x86-64 processor has it): one compare per stop byte for 16 bytes at once.
// Lists with more stop bytes than `Count` fall back to TableStops.
template <std::size_t Count> class VectorStops {
public:
    explicit VectorStops(std::string_view stops) {
        for (std::size_t k = 0; k < Count; ++k) {
            // Unused slots repeat the first stop byte, which changes nothing.
            stops_[k] = _mm_set1_epi8(stops[k < stops.size() ? k : 0]);
        }
    }

    std::uint64_t Mask(const char* p) const {
        std::uint64_t mask = 0;
        for (std::size_t part = 0; part < kWindow / 16; ++part) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            __m128i hits = _mm_cmpeq_epi8(bytes, stops_[0]);
            for (std::size_t k = 1; k < Count; ++k) {
                hits = _mm_or_si128(hits, _mm_cmpeq_epi8(bytes, stops_[k]));
            }
            mask |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(hits))} << (16 * part);
        }
        return mask;
    }

private:
    __m128i stops_[Count];
};
#endif

// First CR or LF at or after `p`, or `end`.
const char* FindLineEnd(const char* p, const char* end) {
#if defined(__SSE2__)
    const VectorStops<2> lineEnds("\r\n");
    while (static_cast<std::size_t>(end - p) >= kWindow) {
        if (const std::uint64_t mask = lineEnds.Mask(p)) {
            return p + std::countr_zero(mask);
        }
        p += kWindow;
    }
#endif
    while (p != end && *p != '\r' && *p != '\n') {
        ++p;
    }
    return p;
}

// Position of the first match of `pattern` in `text` at or after `from`, ASCII case ignored.
std::size_t FindIgnoringCase(std::string_view text, std::string_view pattern, std::size_t from) {
    const unsigned char first = FoldAscii(static_cast<unsigned char>(pattern.front()));
    const bool letter = first >= 'a' && first <= 'z';
    const std::size_t last = text.size() < pattern.size() ? 0 : text.size() - pattern.size() + 1;
    for (std::size_t i = from; i < last; ++i) {
        if (letter ? FoldAscii(static_cast<unsigned char>(text[i])) != first
                   : static_cast<unsigned char>(text[i]) != first) {
            if (!letter) {
                const void* next = std::memchr(text.data() + i, first, last - i);
                if (next == nullptr) {
                    return std::string_view::npos;
                }
                i = static_cast<std::size_t>(static_cast<const char*>(next) - text.data()) - 1;
            }
            continue;
        }
        std::size_t k = 1;
        while (k < pattern.size() && FoldAscii(static_cast<unsigned char>(text[i + k])) ==
                                         FoldAscii(static_cast<unsigned char>(pattern[k]))) {
            ++k;
        }
        if (k == pattern.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Replaces every non-overlapping match of `pattern` (ASCII case ignored), left to right, by `replacement`;
// the caller knows that there is none before `from`. Returns false, leaving `out` untouched, when there is
// no match.
bool ReplaceAllIgnoringCase(std::string_view text, std::string_view pattern, std::string_view replacement,
                            std::size_t from, std::string& out) {
    std::size_t match = FindIgnoringCase(text, pattern, from);
    if (match == std::string_view::npos) {
        return false;
    }
    out.assign(text.substr(0, match));
    while (match != std::string_view::npos) {
        out.append(replacement);
        from = match + pattern.size();
        match = FindIgnoringCase(text, pattern, from);
        out.append(text.substr(from, match == std::string_view::npos ? match : match - from));
    }
    return true;
}

} // namespace

void OutputSink::Append(std::string_view bytes) {
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

StringSink::StringSink(std::string& out) : out_(out) {
    cursor_ = limit_ = out_.data() + out_.size();
}

void StringSink::MakeRoom(std::size_t size) {
    const auto used = static_cast<std::size_t>(cursor_ - out_.data());
    out_.resize(std::max({used + size, 2 * used, out_.capacity()}));
    cursor_ = out_.data() + used;
    limit_ = out_.data() + out_.size();
}

void StringSink::Close() {
    out_.resize(static_cast<std::size_t>(cursor_ - out_.data()));
    cursor_ = limit_ = out_.data() + out_.size();
}

DrainingSink::DrainingSink(std::function<void(std::string_view)> drain, std::size_t capacity)
    : drain_(std::move(drain)), capacities_{std::max<std::size_t>(capacity, 1), 0} {
    buffers_[0] = std::make_unique_for_overwrite<char[]>(capacities_[0]);
    cursor_ = buffers_[0].get();
    limit_ = cursor_ + capacities_[0];
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
        cursor_ = filled;
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
    // Room in the other buffer, which has none yet the first time round.
    cursor_ = buffers_[filling_].get();
    limit_ = cursor_ + capacities_[filling_];
}

void DrainingSink::MakeRoom(std::size_t size) {
    HandOver();
    if (capacities_[filling_] < std::max(size, capacities_[1 - filling_])) {
        capacities_[filling_] = std::max(size, capacities_[1 - filling_]);
        buffers_[filling_] = std::make_unique_for_overwrite<char[]>(capacities_[filling_]);
        cursor_ = buffers_[filling_].get();
    }
    limit_ = cursor_ + capacities_[filling_];
}

void DrainingSink::Flush() {
    char* const start = buffers_[filling_].get();
    if (!thread_.joinable()) {
        // Everything fitted in one buffer, or there is no thread.
        if (cursor_ != start) {
            drain_(std::string_view(start, static_cast<std::size_t>(cursor_ - start)));
            cursor_ = start;
        }
        return;
    }
    HandOver();
    std::unique_lock lock(mutex_);
    WaitUntilDrained(lock);
}

SentenceBreaker::SentenceBreaker(std::vector<std::string> entries, int enterCount) {
    std::string breaks;
    for (int i = 0; i < enterCount; ++i) {
        breaks += "\r\n";
    }
    std::erase_if(entries, [](const std::string& entry) { return entry.empty(); });
    for (std::string& entry : entries) {
        rules_.push_back({entry, entry + ' ', entry + breaks});
    }

    isStop_[static_cast<unsigned char>('\r')] = isStop_[static_cast<unsigned char>('\n')] = true;
    stopBytes_ = "\r\n";
    singleBytePass_ = true;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const std::string& entry = rules_[i].entry;
        const auto byte = static_cast<unsigned char>(entry.front());
        const auto other = static_cast<unsigned char>(byte >= 'a' && byte <= 'z'   ? byte - 32
                                                      : byte >= 'A' && byte <= 'Z' ? byte + 32
                                                                                   : byte);
        if (entry.size() != 1 || byte == ' ' || isStop_[byte]) {
            singleBytePass_ = false;
            break;
        }
        const std::string& replacement = rules_[i].entryAndBreaks;
        StopAction action;
        std::copy_n(replacement.begin(), std::min(replacement.size(), action.start.size()),
                    action.start.begin());
        action.size = static_cast<std::uint32_t>(replacement.size());
        action.rule = static_cast<std::uint32_t>(i);
        action.dropsSpace = true;
        for (const unsigned char spelling : {byte, other}) {
            isStop_[spelling] = true;
            stopActions_[spelling] = action;
        }
        stopBytes_ += static_cast<char>(byte);
        if (other != byte) {
            stopBytes_ += static_cast<char>(other);
        }
        longestReplacement_ = std::max(longestReplacement_, replacement.size());
    }
}

void SentenceBreaker::ConvertLine(std::string_view line, OutputSink& out) {
    // The line is only copied once an entry changes it.
    std::string_view current = line;
    for (const Rule& rule : rules_) {
        // Both replacements begin with the entry, and dropping spaces after it changes nothing before its
        // first occurrence: one search tells whether the entry matters and where both may start looking.
        const std::size_t first = FindIgnoringCase(current, rule.entry, 0);
        if (first == std::string_view::npos) {
            continue;
        }
        if (ReplaceAllIgnoringCase(current, rule.entryAndSpace, rule.entry, first, scratch_)) {
            line_.swap(scratch_);
            current = line_;
        }
        ReplaceAllIgnoringCase(current, rule.entry, rule.entryAndBreaks, first, scratch_);
        line_.swap(scratch_);
        current = line_;
    }
    out.Append(current);
}

void SentenceBreaker::Feed(std::string_view chunk, OutputSink& out) {
    if (!singleBytePass_) {
        FeedLines(chunk, out);
        return;
    }
#if defined(__SSE2__)
    // The default list (three entries, CR and LF) takes the five-compare scan.
    if (stopBytes_.size() <= 5) {
        FeedSingleBytes(chunk, out, VectorStops<5>(stopBytes_));
        return;
    }
    if (stopBytes_.size() <= 8) {
        FeedSingleBytes(chunk, out, VectorStops<8>(stopBytes_));
        return;
    }
#endif
    FeedSingleBytes(chunk, out, TableStops(isStop_));
}

void SentenceBreaker::Feed(std::string_view chunk, std::string& out) {
    StringSink sink(out);
    Feed(chunk, sink);
    sink.Close();
}

template <typename StopMask>
void SentenceBreaker::FeedSingleBytes(std::string_view chunk, OutputSink& sink, const StopMask& stops) {
    const char* in = chunk.data();
    const char* const end = in + chunk.size();
    if (dropSpace_ && in != end) {
        dropSpace_ = false;
        if (*in == ' ') {
            ++in;
        }
    }
    // Room for one replacement (padded) and one window copied behind it, checked before each of them.
    const std::size_t room = std::max(longestReplacement_, kShortReplacement) + kWindow;
    char* out = sink.Reserve(room);
    char* limit = sink.Limit();
    const auto ensureRoom = [&] {
        if (static_cast<std::size_t>(limit - out) < room) {
            sink.Advance(out);
            out = sink.Reserve(room);
            limit = sink.Limit();
        }
    };
    const auto writeReplacement = [&](const StopAction& action) {
        if (action.size <= kShortReplacement) {
            std::memcpy(out, action.start.data(), kShortReplacement);
        } else {
            std::memcpy(out, rules_[action.rule].entryAndBreaks.data(), action.size);
        }
        out += action.size;
    };

    // Windows: the bytes from `in` onwards are copied whole, and each stop then moves `out` up to it,
    // writes its replacement and copies the rest of the window again behind that. A stop on the window's
    // last byte followed by a dropped space puts `in` two bytes past the window, and the copy behind it
    // reads a whole window from there: two windows and one byte must be left.
    while (static_cast<std::size_t>(end - in) > 2 * kWindow) {
        ensureRoom();
        const char* const window = in;
        std::uint64_t mask = stops.Mask(window);
        std::memcpy(out, in, kWindow);
        while (mask != 0) {
            const char* const stop = window + std::countr_zero(mask);
            mask &= mask - 1;
            out += stop - in;
            ensureRoom();
            const StopAction& action = stopActions_[static_cast<unsigned char>(*stop)];
            writeReplacement(action);
            in = stop + 1;
            // The space is never a stop byte, so skipping it cannot skip a stop.
            in += action.dropsSpace && *in == ' ' ? 1 : 0;
            std::memcpy(out, in, kWindow);
        }
        // A dropped space may lie just past the window; then nothing of the window is left to keep.
        if (in < window + kWindow) {
            out += window + kWindow - in;
            in = window + kWindow;
        }
    }

    // The last bytes of the chunk, one at a time.
    while (in != end) {
        ensureRoom();
        const auto byte = static_cast<unsigned char>(*in++);
        if (!isStop_[byte]) {
            *out++ = static_cast<char>(byte);
            continue;
        }
        const StopAction& action = stopActions_[byte];
        writeReplacement(action);
        if (!action.dropsSpace) {
            continue;
        }
        if (in == end) {
            dropSpace_ = true; // the space may be the first byte of the next chunk
        } else if (*in == ' ') {
            ++in;
        }
    }
    sink.Advance(out);
}

void SentenceBreaker::FeedLines(std::string_view chunk, OutputSink& out) {
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    while (p != end) {
        const char* stop = FindLineEnd(p, end);
        const auto length = static_cast<std::size_t>(stop - p);
        if (stop == end) {
            pendingLine_.append(p, length);
            return;
        }
        if (pendingLine_.empty()) {
            ConvertLine(std::string_view(p, length), out);
        } else {
            pendingLine_.append(p, length);
            ConvertLine(pendingLine_, out);
            pendingLine_.clear();
        }
        // An empty line converts to nothing, so a CR LF pair needs no special care.
        p = stop + 1;
    }
}

void SentenceBreaker::Finish(OutputSink& out) {
    if (!singleBytePass_ && !pendingLine_.empty()) {
        ConvertLine(pendingLine_, out);
    }
    pendingLine_.clear();
    dropSpace_ = false;
}

void SentenceBreaker::Finish(std::string& out) {
    StringSink sink(out);
    Finish(sink);
    sink.Close();
}

std::string ConvertText(std::string_view text, const std::vector<std::string>& entries, int enterCount) {
    SentenceBreaker breaker(entries, enterCount);
    std::string out;
    out.reserve(text.size() + text.size() / 8); // breaks add a little; the sink grows the string if needed
    StringSink sink(out);
    breaker.Feed(text, sink);
    breaker.Finish(sink);
    sink.Close();
    return out;
}

void ConvertStream(InputFile& input, const std::vector<std::string>& entries, int enterCount,
                   const std::function<void(std::string_view)>& write) {
    SentenceBreaker breaker(entries, enterCount);
    TextInput text(input);
    DrainingSink sink(text.Output(write), kOutputBuffer);
    const std::unique_ptr<char[]> buffer(new char[kReadChunk]);
    while (const std::size_t got = text.Read(buffer.get(), kReadChunk)) {
        breaker.Feed(std::string_view(buffer.get(), got), sink);
    }
    breaker.Finish(sink);
    sink.Flush();
    text.Finish();
}

void InsertEnterInFile(const std::string& inputPath, const std::string& outputPath, int enterCount,
                       const std::vector<std::string>& entries) {
    InputFile input(inputPath);
    SafeOutputFile output(outputPath);
    ConvertStream(input, entries, enterCount, [&output](std::string_view bytes) { output.Write(bytes); });
    output.Commit();
}

} // namespace brantlewick
