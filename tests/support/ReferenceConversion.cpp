// Slow, obvious reference of the sentence-break conversion.
#include "ReferenceConversion.h"

#include <cctype>

namespace brantlewick::testing {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += text[i];
        }
    }
    if (text.empty() || !line.empty()) {
        lines.push_back(line);
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

} // namespace

std::string ReferenceConvert(const std::string& text, const std::vector<std::string>& entries,
                             int enterCount) {
    std::string breaks;
    for (int i = 0; i < enterCount; ++i) {
        breaks += "\r\n";
    }
    std::string out;
    for (std::string line : SplitLines(text)) {
        for (const std::string& entry : entries) {
            if (entry.empty()) {
                continue;
            }
            line = ReplaceAll(line, entry + " ", entry);
            line = ReplaceAll(line, entry, entry + breaks);
        }
        out += line;
    }
    return out;
}

} // namespace brantlewick::testing
