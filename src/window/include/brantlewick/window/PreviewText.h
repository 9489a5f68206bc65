// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview shows of a text: its line ends as lines, very long lines cut into screen lines that a
// text view lays out at once, and the changes of the conversion marked where they are.
#pragma once

#include "brantlewick/engine/OutputSink.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

namespace brantlewick {

enum class PreviewMarker : std::uint8_t {
    Break,      // a line break inserted; the marker stands before it
    Blank,      // a blank dropped, where it was
    JoinedLine, // a line break of the input taken out, where it was
    AddedLine,  // a line break the line choice added (to end or set off a paragraph); before it
    Continued,  // a line of the text goes on here: cut only for the screen
};

inline constexpr QChar kBreakMarker = u'\u00B6';      // ¶
inline constexpr QChar kBlankMarker = u'\u00B7';      // ·
inline constexpr QChar kJoinedLineMarker = u'\u21B5'; // ↵
inline constexpr QChar kAddedLineMarker = u'\u23CE';  // ⏎
inline constexpr QChar kContinuedMarker = u'\u21AA';  // ↪

// A line longer than this is cut for the screen, after a blank near the end where there is one. A text
// view lays out a line at once, and one of a quarter of a million characters without a blank (minified
// data, base64) took it seconds; cut lines it lays out as they come into view.
inline constexpr qsizetype kLongestShownLine = 4000;

// A run of markers, as positions of their characters in the text shown.
struct PreviewMark {
    qsizetype at;
    qsizetype length;
    PreviewMarker kind;
    friend bool operator==(const PreviewMark&, const PreviewMark&) = default;
};

struct ShownText {
    QString text;
    QList<PreviewMark> marks;
};

// `original` as shown: every line end (CR LF, LF, lone CR) one "\n"; a text that is not UTF-8 is shown
// byte for character, as single-byte text.
ShownText ShowOriginal(std::string_view original);

// The conversion `result` of `original` as shown, with a marker for each break and dropped blank the
// conversion noted in `edits` (a break's CR LF becomes the marker and "\n"), one for each line break of
// the original that the result no longer has (the input's lines run together or rejoined), and one before
// each line break that the result has and the original has not, apart from the breaks noted.
ShownText ShowResult(std::string_view original, std::string_view result, const std::vector<Edit>& edits);

} // namespace brantlewick
