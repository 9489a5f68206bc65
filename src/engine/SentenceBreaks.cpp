// Streaming sentence-break conversion.
#include "SentenceBreaks.h"

#include "LineFile.h"

#include <algorithm>
#include <cstring>

namespace brantlewick {

namespace {

constexpr std::int16_t kPlain = -1;
constexpr std::int16_t kTerminator = -2;
constexpr std::size_t kReadChunk = 256 * 1024;
constexpr std::size_t kFlushAt = 1024 * 1024;

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
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

// Replaces every non-overlapping match of `pattern` (ASCII case ignored), left to right, by `replacement`.
// Returns false, leaving `out` untouched, when there is no match.
bool ReplaceAllIgnoringCase(std::string_view text, std::string_view pattern, std::string_view replacement,
                            std::string& out) {
    std::size_t match = FindIgnoringCase(text, pattern, 0);
    if (match == std::string_view::npos) {
        return false;
    }
    out.clear();
    std::size_t from = 0;
    while (match != std::string_view::npos) {
        out.append(text.substr(from, match - from));
        out.append(replacement);
        from = match + pattern.size();
        match = FindIgnoringCase(text, pattern, from);
    }
    out.append(text.substr(from));
    return true;
}

} // namespace

SentenceBreaker::SentenceBreaker(std::vector<std::string> entries, int enterCount)
    : entries_(std::move(entries)) {
    for (int i = 0; i < enterCount; ++i) {
        breaks_ += "\r\n";
    }
    std::erase_if(entries_, [](const std::string& entry) { return entry.empty(); });

    byteClass_.fill(kPlain);
    byteClass_[static_cast<unsigned char>('\r')] = kTerminator;
    byteClass_[static_cast<unsigned char>('\n')] = kTerminator;
    singleBytePass_ = true;
    for (const std::string& entry : entries_) {
        const auto byte = static_cast<unsigned char>(entry.front());
        if (entry.size() != 1 || byte == ' ' || byteClass_[byte] != kPlain) {
            singleBytePass_ = false;
            break;
        }
        const auto index = static_cast<std::int16_t>(replacements_.size());
        replacements_.push_back(entry + breaks_);
        byteClass_[byte] = index;
        byteClass_[FoldAscii(byte)] = index;
        if (byte >= 'a' && byte <= 'z') {
            byteClass_[byte - 32] = index;
        }
    }
}

void SentenceBreaker::ConvertLine(std::string_view line, std::string& out) const {
    std::string current(line);
    std::string scratch;
    for (const std::string& entry : entries_) {
        if (ReplaceAllIgnoringCase(current, entry + ' ', entry, scratch)) {
            current.swap(scratch);
        }
        if (ReplaceAllIgnoringCase(current, entry, entry + breaks_, scratch)) {
            current.swap(scratch);
        }
    }
    out += current;
}

void SentenceBreaker::Feed(std::string_view chunk, std::string& out) {
    if (singleBytePass_) {
        FeedSingleBytes(chunk, out);
    } else {
        FeedLines(chunk, out);
    }
}

void SentenceBreaker::FeedSingleBytes(std::string_view chunk, std::string& out) {
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    if (dropSpace_ && p != end) {
        dropSpace_ = false;
        if (*p == ' ') {
            ++p;
        }
    }
    while (p != end) {
        const char* run = p;
        while (p != end && byteClass_[static_cast<unsigned char>(*p)] == kPlain) {
            ++p;
        }
        out.append(run, p);
        if (p == end) {
            break;
        }
        const std::int16_t kind = byteClass_[static_cast<unsigned char>(*p)];
        ++p;
        if (kind == kTerminator) {
            continue;
        }
        out += replacements_[static_cast<std::size_t>(kind)];
        if (p == end) {
            dropSpace_ = true; // the space may be the first byte of the next chunk
        } else if (*p == ' ') {
            ++p;
        }
    }
}

void SentenceBreaker::FeedLines(std::string_view chunk, std::string& out) {
    while (!chunk.empty()) {
        const auto stop =
            std::find_if(chunk.begin(), chunk.end(), [](char c) { return c == '\r' || c == '\n'; });
        const auto length = static_cast<std::size_t>(stop - chunk.begin());
        if (stop == chunk.end()) {
            pendingLine_.append(chunk);
            return;
        }
        if (pendingLine_.empty()) {
            ConvertLine(chunk.substr(0, length), out);
        } else {
            pendingLine_.append(chunk.substr(0, length));
            ConvertLine(pendingLine_, out);
            pendingLine_.clear();
        }
        // An empty line converts to nothing, so a CR LF pair needs no special care.
        chunk.remove_prefix(length + 1);
    }
}

void SentenceBreaker::Finish(std::string& out) {
    if (!singleBytePass_ && !pendingLine_.empty()) {
        ConvertLine(pendingLine_, out);
    }
    pendingLine_.clear();
    dropSpace_ = false;
}

std::string ConvertText(std::string_view text, const std::vector<std::string>& entries, int enterCount) {
    SentenceBreaker breaker(entries, enterCount);
    std::string out;
    breaker.Feed(text, out);
    breaker.Finish(out);
    return out;
}

void InsertEnterInFile(const std::string& inputPath, const std::string& outputPath, int enterCount,
                       const std::vector<std::string>& entries) {
    InputFile input(inputPath);
    SafeOutputFile output(outputPath);
    SentenceBreaker breaker(entries, enterCount);
    std::string buffer(kReadChunk, '\0');
    std::string converted;
    converted.reserve(kFlushAt + kReadChunk * 4);
    while (const std::size_t got = input.Read(buffer.data(), buffer.size())) {
        breaker.Feed(std::string_view(buffer.data(), got), converted);
        if (converted.size() >= kFlushAt) {
            output.Write(converted);
            converted.clear();
        }
    }
    breaker.Finish(converted);
    output.Write(converted);
    output.Commit();
}

} // namespace brantlewick
