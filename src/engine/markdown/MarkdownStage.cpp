// SPDX-License-Identifier: GPL-3.0-or-later
// Cutting the text into lines, gathering paragraphs, and writing everything else through.
#include "markdown/MarkdownStage.h"

#include "StopScan.h"

#include <algorithm>

namespace brantlewick::markdown {

MarkdownStage::MarkdownStage(SentenceOptions sentences, BreakChoices choices)
    : breaker_(std::move(sentences), choices) {}

void MarkdownStage::WriteAsIs(std::string_view bytes, OutputSink& out) {
    out.Append(bytes);
}

void MarkdownStage::Feed(std::string_view chunk, OutputSink& out) {
    if (givenUp_) {
        for (const char c : chunk) {
            counts_.terminatorsIn += c == '\r' || (c == '\n' && !afterCarriageReturn_);
            afterCarriageReturn_ = c == '\r';
        }
        counts_.terminatorsOut = counts_.terminatorsIn;
        WriteAsIs(chunk, out);
        return;
    }
    const char* p = chunk.data();
    const char* const end = p + chunk.size();
    if (afterCarriageReturn_ && p != end) {
        // The CR that ended the last chunk: a line end of its own, or the start of a CR LF pair.
        afterCarriageReturn_ = false;
        const bool pair = *p == '\n';
        if (pair) {
            line_ += '\n';
            ++p;
        }
        const std::string line = std::move(line_);
        line_.clear();
        TakeLine(line, pair ? 2 : 1, out);
    }
    while (p != end && !givenUp_) {
        const char* lineEnd = FindLineEnd(p, end);
        if (lineEnd == end || (*lineEnd == '\r' && lineEnd + 1 == end)) {
            line_.append(p, end);
            afterCarriageReturn_ = lineEnd != end;
            if (line_.size() > kLongestParagraph) {
                GiveUp(out);
            }
            return;
        }
        const std::size_t terminator = *lineEnd == '\r' && lineEnd[1] == '\n' ? 2 : 1;
        const char* const next = lineEnd + terminator;
        if (line_.empty()) {
            TakeLine(std::string_view(p, static_cast<std::size_t>(next - p)), terminator, out);
        } else {
            line_.append(p, next);
            const std::string line = std::move(line_);
            line_.clear();
            TakeLine(line, terminator, out);
        }
        p = next;
    }
    if (givenUp_ && p != end) {
        Feed(std::string_view(p, static_cast<std::size_t>(end - p)), out);
    }
}

void MarkdownStage::GiveUp(OutputSink& out) {
    // A line this long is no Markdown anybody reads as such; what follows it may be anything.
    paragraph_.keep = true;
    EndParagraph(out);
    for (const char c : line_) {
        counts_.terminatorsIn += c == '\r' || c == '\n';
    }
    counts_.terminatorsOut = counts_.terminatorsIn;
    WriteAsIs(line_, out);
    line_.clear();
    givenUp_ = true;
}

void MarkdownStage::TakeLine(std::string_view line, std::size_t terminator, OutputSink& out) {
    if (terminator > 0) {
        ++counts_.terminatorsIn;
        lastLineEnd_.assign(line.substr(line.size() - terminator));
    }
    const std::string_view text = line.substr(0, line.size() - terminator);
    const LineReading reading = scanner_.Read(text);
    switch (reading.role) {
    case LineRole::ParagraphStart:
        EndParagraph(out);
        paragraph_.continuation = reading.continuation;
        break;
    case LineRole::Continuation:
        if (paragraphTooLong_) {
            WriteAsIs(line, out);
            counts_.terminatorsOut += terminator > 0 ? 1 : 0;
            return;
        }
        break;
    case LineRole::Closes:
        paragraph_.keep = true;
        [[fallthrough]];
    case LineRole::Other:
        EndParagraph(out);
        WriteAsIs(line, out);
        counts_.terminatorsOut += terminator > 0 ? 1 : 0;
        return;
    }
    const std::size_t start = paragraph_.raw.size();
    paragraph_.raw.append(line);
    paragraph_.lines.push_back({start + reading.textStart, start + text.size(), terminator});
    paragraph_.keep = paragraph_.keep || reading.keep;
    if (paragraph_.raw.size() > kLongestParagraph) {
        paragraph_.keep = true;
        EndParagraph(out);
        paragraphTooLong_ = true;
    }
}

void MarkdownStage::EndParagraph(OutputSink& out) {
    paragraphTooLong_ = false;
    if (!paragraph_.lines.empty()) {
        breaker_.Write(paragraph_, lastLineEnd_, out, counts_);
    }
    paragraph_.Clear();
}

void MarkdownStage::Finish(OutputSink& out) {
    if (!givenUp_ && (afterCarriageReturn_ || !line_.empty())) {
        const std::string line = std::move(line_);
        TakeLine(line, afterCarriageReturn_ ? 1 : 0, out);
    }
    EndParagraph(out);
    line_.clear();
    afterCarriageReturn_ = false;
}

} // namespace brantlewick::markdown
