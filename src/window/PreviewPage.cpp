// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's page: the conversion of the start of a file, shown with its changes marked, and the
// naming of the run without the run.
#include "brantlewick/window/PreviewPage.h"

#include "EngineText.h"
#include "OptionsPart.h"
#include "brantlewick/batch/Batch.h"
#include "brantlewick/engine/Preview.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <QLocale>

#include <algorithm>
#include <exception>

namespace brantlewick {

PreviewPage MakePreviewPage(const QStringList& entries, int position, const ConversionOptions& options,
                            const std::optional<std::string>& outputFolder) {
    PreviewPage page;
    page.input = entries.value(position);
    const std::vector<std::string> inputs = ToEngine(entries);
    const std::string input = ToEngine(page.input);
    // The run's own settings: the sentence mode reads a file as its name says, Markdown or plain.
    const FileSettings settings{outputFolder, options};
    if (outputFolder && !IsFolder(*outputFolder)) {
        page.outputProblem = kNoOutputFolderMessage;
    } else {
        const ForeseenResult result = ForeseeResult(inputs, static_cast<std::size_t>(position), settings);
        page.output = FromEngine(result.output);
        page.replaces = result.replaces;
        page.outputProblem = QString::fromStdString(result.problem);
    }
    try {
        const Preview preview = PreviewFile(input, ConversionFor(input, settings));
        ShownText original = ShowOriginal(preview.original);
        page.original = std::move(original.text);
        page.originalMarks = std::move(original.marks);
        ShownText result = ShowResult(preview.original, preview.result, preview.edits);
        page.result = std::move(result.text);
        page.marks = std::move(result.marks);
        page.counts = preview.counts;
        page.shownBytes = preview.original.size();
        page.fileSize = preview.fileSize;
        page.cut = preview.cut;
    } catch (const std::exception& error) {
        page.readProblem = QString::fromUtf8(error.what());
    }
    return page;
}

QString PreviewSummary(const PreviewPage& page) {
    const ConversionCounts& counts = page.counts;
    QString summary = QStringLiteral("Breaks inserted: %1, spaces dropped: %2, lines in: %3, out: %4")
                          .arg(counts.breaksInserted)
                          .arg(counts.spacesDropped)
                          .arg(counts.linesIn)
                          .arg(counts.linesOut);
    if (page.cut) {
        summary += QStringLiteral(" (showing the first %1 KiB of %2)")
                       .arg((page.shownBytes + 1023) / 1024)
                       .arg(QLocale::c().formattedDataSize(static_cast<qint64>(page.fileSize), 1,
                                                           QLocale::DataSizeIecFormat));
    }
    return summary;
}

} // namespace brantlewick
