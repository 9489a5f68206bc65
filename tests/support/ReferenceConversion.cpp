// Slow, obvious reference of the conversion.
#include "ReferenceConversion.h"

namespace brantlewick::testing {
namespace {

struct Line {
    std::string text;
    std::string terminator; // "\r\n", "\n", "\r", or nothing for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            lines.back().text += text[i];
            continue;
        }
        const bool pair = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        lines.back().terminator = pair ? "\r\n" : std::string(1, text[i]);
        i += pair ? 1 : 0;
        lines.emplace_back();
    }
    if (lines.size() > 1 && lines.back().text.empty()) {
        lines.pop_back(); // a terminator at the very end starts no new line
    }
    return lines;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool MatchesAt(const std::string& text, std::size_t at, const std::string& pattern) {
    if (at + pattern.size() > text.size()) {
        return false;
    }
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (Lower(text[at + k]) != Lower(pattern[k])) {
            return false;
        }
    }
    return true;
}

std::string ReplaceAll(const std::string& text, const std::string& pattern, const std::string& replacement) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (MatchesAt(text, i, pattern)) {
            out += replacement;
            i += pattern.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string Rewrite(std::string line, const std::vector<std::string>& entries, const std::string& breaks) {
    for (const std::string& entry : entries) {
        if (!entry.empty()) {
            line = ReplaceAll(line, entry + " ", entry);
            line = ReplaceAll(line, entry, entry + breaks);
        }
    }
    return line;
}

std::string Trimmed(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos ? "" : line.substr(first, line.find_last_not_of(" \t") - first + 1);
}

// The length of the whole UTF-8 character at `at` when it is Chinese or Japanese (CJK block, kana,
// full-width forms), else 0.
std::size_t WideAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const auto continues = [&](std::size_t count) {
        for (std::size_t k = 1; k <= count; ++k) {
            if (at + k >= text.size() || (byte(k) & 0xC0) != 0x80) {
                return false;
            }
        }
        return true;
    };
    unsigned long code = 0;
    std::size_t length = 0;
    if (at < text.size() && (byte(0) & 0xF0) == 0xE0 && continues(2)) {
        code = (byte(0) & 0x0Fu) << 12 | (byte(1) & 0x3Fu) << 6 | (byte(2) & 0x3Fu);
        length = 3;
    } else if (at < text.size() && (byte(0) & 0xF8) == 0xF0 && continues(3)) {
        code = (byte(0) & 0x07u) << 18 | (byte(1) & 0x3Fu) << 12 | (byte(2) & 0x3Fu) << 6 | (byte(3) & 0x3Fu);
        length = 4;
    }
    const bool wide = (code >= 0x2E80 && code <= 0x9FFF) || (code >= 0xF900 && code <= 0xFAFF) ||
                      (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFFEF) ||
                      (code >= 0x20000 && code <= 0x3FFFF);
    return wide ? length : 0;
}

bool EndsWide(const std::string& text) {
    return (text.size() >= 3 && WideAt(text, text.size() - 3) == 3) ||
           (text.size() >= 4 && WideAt(text, text.size() - 4) == 4);
}

std::size_t TrailingPairs(const std::string& text) {
    std::size_t pairs = 0;
    while (text.size() >= 2 * (pairs + 1) && text.compare(text.size() - 2 * (pairs + 1), 2, "\r\n") == 0) {
        ++pairs;
    }
    return pairs;
}

} // namespace

std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& allEntries,
                             int enterCount, LineBreaks lineBreaks) {
    std::string pairs;
    for (int i = 0; i < enterCount; ++i) {
        pairs += "\r\n";
    }
    std::vector<std::string> entries;
    for (const std::string& entry : allEntries) {
        if (lineBreaks == LineBreaks::Join || entry.find_first_of("\r\n") == std::string::npos) {
            entries.push_back(entry);
        }
    }
    const std::vector<Line> lines = SplitLines(text);
    std::string out;
    if (lineBreaks != LineBreaks::Reflow) {
        for (const Line& line : lines) {
            out +=
                Rewrite(line.text, entries, pairs) + (lineBreaks == LineBreaks::Keep ? line.terminator : "");
        }
        return out;
    }
    std::vector<std::string> paragraphs;
    bool open = false;
    for (const Line& line : lines) {
        const std::string trimmed = Trimmed(line.text);
        if (trimmed.empty()) {
            open = false;
            continue;
        }
        if (!open) {
            paragraphs.emplace_back();
        } else {
            std::string& paragraph = paragraphs.back();
            paragraph += EndsWide(paragraph) && WideAt(trimmed, 0) > 0 ? "" : " ";
        }
        paragraphs.back() += trimmed;
        open = true;
    }
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        const std::string converted = Rewrite(paragraphs[i], entries, pairs);
        out += converted;
        for (std::size_t have = TrailingPairs(converted); have < (i + 1 < paragraphs.size() ? 2u : 1u);
             ++have) {
            out += "\r\n";
        }
    }
    return out;
}

} // namespace brantlewick::testing
