// SPDX-License-Identifier: GPL-3.0-or-later
// What the preview window shows for one entry of the file list: the start of the file and what the run
// would make of it, with the changes marked, where the result would go, and what the conversion did.
#pragma once

#include "brantlewick/engine/Conversion.h"
#include "brantlewick/window/PreviewText.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace brantlewick {

struct PreviewPage {
    QString input;
    QString output;        // the path the run would write; empty when it would refuse to
    QString outputProblem; // why it would refuse (the run's own message)
    bool replaces = false; // a file is there already, or an earlier entry of the run would write it
    QString readProblem;   // why the file cannot be shown; the texts and counts are empty then
    QString original;      // line ends shown as "\n", long lines cut for the screen
    QList<PreviewMark> originalMarks;
    QString result; // the same, with the markers in it
    QList<PreviewMark> marks;
    ConversionCounts counts; // of the part shown
    std::uint64_t shownBytes = 0;
    std::uint64_t fileSize = 0;
    bool cut = false;           // only the start of the file is shown
    bool resultTooLong = false; // ... and no more, as its result would be too long to show
    QString lineEnds;           // of the result: "CR LF", "LF", "CR", "none", or which are mixed
};

// The line ends `text` has: "CR LF", "LF" or "CR" when all are alike, "none", or "mixed: CR LF and LF".
QString LineEndsOf(std::string_view text);

// The preview of entry `position` (from 0) of `entries`, as "Start Adding" would convert and name it with
// `options` and `outputFolder` (nothing: beside the input). The earlier entries are named as if written;
// nothing is written or deleted. A file that cannot be read gives a page with `readProblem` set.
PreviewPage MakePreviewPage(const QStringList& entries, int position, const ConversionOptions& options,
                            const std::optional<std::string>& outputFolder);

// The line under the texts: the counts, the result's line ends, and for a cut file how much of it is shown.
QString PreviewSummary(const PreviewPage& page);

} // namespace brantlewick
