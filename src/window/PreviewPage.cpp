// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's page: the conversion of the start of a file, shown with its changes marked, and the
// naming of the run without the run.
#include "brantlewick/window/PreviewPage.h"

#include "EngineText.h"
#include "OptionsPart.h"
#include "brantlewick/batch/Batch.h"
#include "brantlewick/files/Preview.h"
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
        page.resultTooLong = preview.resultTooLong;
        page.lineEnds = LineEndsOf(preview.result);
    } catch (const std::exception& error) {
        page.readProblem = QString::fromUtf8(error.what());
    }
    return page;
}

QString LineEndsOf(std::string_view text) {
    bool crlf = false;
    bool lf = false;
    bool cr = false;
    for (std::size_t at = text.find_first_of("\r\n"); at != std::string_view::npos;
         at = text.find_first_of("\r\n", at + 1)) {
        if (text[at] == '\n') {
            lf = true;
        } else if (at + 1 < text.size() && text[at + 1] == '\n') {
            crlf = true;
            ++at;
        } else {
            cr = true;
        }
    }
    QStringList kinds;
    for (const auto& [has, name] : {std::pair{crlf, "CR LF"}, {lf, "LF"}, {cr, "CR"}}) {
        if (has) {
            kinds.append(QString::fromLatin1(name));
        }
    }
    if (kinds.isEmpty()) {
        return QStringLiteral("none");
    }
    return kinds.size() == 1 ? kinds.front()
                             : QStringLiteral("mixed: ") + kinds.join(QStringLiteral(" and "));
}

QString PreviewSummary(const PreviewPage& page) {
    const ConversionCounts& counts = page.counts;
    QString summary =
        QStringLiteral("Breaks inserted: %1, spaces dropped: %2, lines in: %3, out: %4, line ends: %5")
            .arg(counts.breaksInserted)
            .arg(counts.spacesDropped)
            .arg(counts.linesIn)
            .arg(counts.linesOut)
            .arg(page.lineEnds);
    if (page.cut) {
        summary +=
            QStringLiteral(" (showing the first %1 KiB of %2%3)")
                .arg(QString::number((page.shownBytes + 1023) / 1024),
                     QLocale::c().formattedDataSize(static_cast<qint64>(page.fileSize), 1,
                                                    QLocale::DataSizeIecFormat),
                     page.resultTooLong ? QStringLiteral(": the result of more is too long to show here")
                                        : QString());
    }
    return summary;
}

} // namespace brantlewick
