// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's texts for the screen: line ends, long lines cut, and the result walked beside the original
// so that every change shows where it is.
#include "brantlewick/window/PreviewText.h"

#include "brantlewick/base/Utf8.h"

#include <algorithm>

namespace brantlewick {
namespace {

// Where a long line is cut after a blank rather than in the middle of a word, when there is one this near.
constexpr qsizetype kNearBlank = 200;

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

std::size_t PastLineEnd(std::string_view text, std::size_t at) {
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? at + 2 : at + 1;
}

// The length of the blank (space, tab, no-break or other wide space) at `at`, 0 when there is none.
std::size_t BlankLength(std::string_view text, std::size_t at) {
    if (at >= text.size() || IsLineEnd(text[at])) {
        return 0;
    }
    std::size_t next = at;
    const char32_t c = utf8::Next(text, next);
    return c != utf8::kInvalid && QChar::isSpace(c) ? next - at : 0;
}

// Collects a text for the screen: every line end one "\n", a line longer than kLongestShownLine cut with
// a marker where it goes on, and the marks of the markers put in.
class ScreenText {
public:
    explicit ScreenText(bool utf8) : utf8_(utf8) {}

    void Add(std::string_view bytes) {
        const auto size = std::ssize(bytes);
        const QString piece =
            utf8_ ? QString::fromUtf8(bytes.data(), size) : QString::fromLatin1(bytes.data(), size);
        for (const QChar c : piece) {
            if (c == u'\n' && afterCarriageReturn_) {
                afterCarriageReturn_ = false;
                continue;
            }
            afterCarriageReturn_ = c == u'\r';
            if (c == u'\r' || c == u'\n') {
                NewLine();
            } else {
                Put(c);
            }
        }
    }

    // `count` markers in a row, or each followed by a line end (the line break it stands for).
    void AddMarkers(QChar marker, PreviewMarker kind, qsizetype count, bool withLineEnds) {
        afterCarriageReturn_ = false;
        if (count <= 0) {
            return;
        }
        if (lineLength_ >= kLongestShownLine) {
            Cut();
        }
        if (!withLineEnds) {
            shown_.marks.append({shown_.text.size(), count, kind});
            shown_.text.append(QString(count, marker));
            lineLength_ += count;
            return;
        }
        for (qsizetype i = 0; i < count; ++i) {
            shown_.marks.append({shown_.text.size(), 1, kind});
            shown_.text.append(marker);
            NewLine();
        }
    }

    ShownText Take() { return std::move(shown_); }

private:
    void Put(QChar c) {
        if (lineLength_ >= kLongestShownLine && !c.isLowSurrogate()) {
            Cut();
        }
        shown_.text.append(c);
        ++lineLength_;
        if (c == u' ' || c == u'\t') {
            lastBlank_ = shown_.text.size();
        }
    }
    void NewLine() {
        shown_.text.append(u'\n');
        lineLength_ = 0;
        lastBlank_ = -1;
    }
    // Ends the screen line after its last blank when that is near, else here, and starts the next one
    // with the marker that says the line goes on.
    void Cut() {
        QString& text = shown_.text;
        const qsizetype at =
            lastBlank_ >= 0 && text.size() - lastBlank_ < kNearBlank ? lastBlank_ : text.size();
        text.insert(at, QStringView(u"\n\u21AA"));
        QList<PreviewMark>& marks = shown_.marks;
        qsizetype later = marks.size();
        for (; later > 0 && marks[later - 1].at >= at; --later) {
            marks[later - 1].at += 2;
        }
        marks.insert(later, {at + 1, 1, PreviewMarker::Continued});
        lineLength_ = text.size() - (at + 1);
        lastBlank_ = -1;
    }

    bool utf8_;
    bool afterCarriageReturn_ = false;
    qsizetype lineLength_ = 0;
    qsizetype lastBlank_ = -1; // just after the last blank of the screen line
    ShownText shown_;
};

// Walks the result beside the original. The conversion keeps every character that is not white space,
// in order: the two agree but where it inserted breaks and dropped blanks (the edits say where) and where
// the line choice took out or put in line ends and blanks. A line end of the original that the result
// lacks is marked there. Should they ever disagree otherwise, the rest is shown without such markers.
class ResultWalk {
public:
    ResultWalk(std::string_view original, std::string_view result)
        : original_(original), result_(result), shown_(utf8::IsValid(result)) {}

    ShownText Run(const std::vector<Edit>& edits) {
        auto next = edits.begin();
        while (next != edits.end() || j_ < result_.size()) {
            if (next != edits.end() && (next->at <= j_ || j_ >= result_.size())) {
                Flush();
                Apply(*next++);
            } else {
                Step();
            }
        }
        Flush();
        while (aligned_ && i_ < original_.size()) {
            if (IsLineEnd(original_[i_])) {
                MarkJoinedLine();
            } else if (const std::size_t blank = BlankLength(original_, i_); blank > 0) {
                i_ += blank;
            } else {
                break;
            }
        }
        return shown_.Take();
    }

private:
    void Apply(const Edit& edit) {
        const auto count = static_cast<qsizetype>(edit.count);
        if (edit.kind == Edit::Kind::Breaks) {
            shown_.AddMarkers(kBreakMarker, PreviewMarker::Break, count, true);
            // Each break is the line end the conversion writes: CR LF, or in Markdown the file's own.
            std::size_t past = std::max<std::size_t>(j_, edit.at);
            for (std::uint64_t left = edit.count;
                 left > 0 && past < result_.size() && IsLineEnd(result_[past]); --left) {
                past = PastLineEnd(result_, past);
            }
            j_ = runStart_ = past;
            SkipContinuation();
            return;
        }
        shown_.AddMarkers(kBlankMarker, PreviewMarker::Blank, count, false);
        // The original's blanks that went; a line end before them went too when the result lacks it. A
        // blank the original has not was put in by the line choice, joining two lines.
        for (qsizetype left = count; aligned_ && left > 0 && i_ < original_.size(); --left) {
            while (i_ < original_.size() && IsLineEnd(original_[i_])) {
                MarkJoinedLine();
            }
            i_ += BlankLength(original_, i_);
        }
    }

    void Step() {
        const bool lineEnds = aligned_ && i_ < original_.size() && IsLineEnd(original_[i_]);
        if (lineEnds && IsLineEnd(result_[j_])) {
            // The line end kept, whatever its form: a rejoined paragraph ends in CR LF.
            i_ = PastLineEnd(original_, i_);
            j_ = PastLineEnd(result_, j_);
            return;
        }
        if (aligned_ && IsLineEnd(result_[j_]) && BlankLength(original_, i_) == 0) {
            Flush();
            shown_.AddMarkers(kAddedLineMarker, PreviewMarker::AddedLine, 1, true);
            j_ = runStart_ = PastLineEnd(result_, j_);
            return;
        }
        if (aligned_ && i_ < original_.size() && original_[i_] == result_[j_]) {
            ++i_;
        } else if (lineEnds) {
            Flush();
            MarkJoinedLine();
            return;
        } else if (const std::size_t blank = aligned_ ? BlankLength(original_, i_) : 0; blank > 0) {
            i_ += blank; // taken out by the line choice, as the start and end of a rejoined line
            return;
        } else if (aligned_) {
            // White space the line choice put in; anything else means the two no longer agree.
            const char c = result_[j_];
            aligned_ = c == ' ' || c == '\t' || IsLineEnd(c);
        }
        ++j_;
    }

    // A Markdown paragraph goes on after a new break with its quote markers and indentation, which the
    // original has not there: they are shown, and the walk goes on where the two agree again.
    void SkipContinuation() {
        std::size_t next = j_;
        while (next < result_.size() &&
               (result_[next] == ' ' || result_[next] == '\t' || result_[next] == '>')) {
            ++next;
        }
        std::size_t i = i_;
        while (const std::size_t blank = BlankLength(original_, i)) {
            i += blank;
        }
        if (next > j_ && next < result_.size() && i < original_.size() && original_[i] == result_[next]) {
            j_ = next;
        }
    }

    void MarkJoinedLine() {
        shown_.AddMarkers(kJoinedLineMarker, PreviewMarker::JoinedLine, 1, false);
        i_ = PastLineEnd(original_, i_);
    }

    void Flush() {
        if (j_ > runStart_) {
            shown_.Add(result_.substr(runStart_, j_ - runStart_));
        }
        runStart_ = j_;
    }

    std::string_view original_;
    std::string_view result_;
    ScreenText shown_;
    std::size_t i_ = 0; // in the original
    std::size_t j_ = 0; // in the result
    std::size_t runStart_ = 0;
    bool aligned_ = true;
};

} // namespace

ShownText ShowOriginal(std::string_view original) {
    ScreenText shown(utf8::IsValid(original));
    shown.Add(original);
    return shown.Take();
}

ShownText ShowResult(std::string_view original, std::string_view result, const std::vector<Edit>& edits) {
    return ResultWalk(original, result).Run(edits);
}

} // namespace brantlewick
