// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's page: the conversion of the start of a file, shown with its changes marked, and the
// naming of the run without the run.
#include "PreviewPage.h"

#include "EngineText.h"
#include "OutputNaming.h"
#include "PathHelpers.h"
#include "Preview.h"

#include <QLocale>

#include <algorithm>
#include <exception>

namespace brantlewick {
namespace {

// What "Start Adding" says when the output folder is not there; the run would not start.
constexpr QLatin1StringView kNoFolder("Folder does not exist. Please select another folder.");

} // namespace

PreviewPage MakePreviewPage(const QStringList& entries, int position, const ConversionOptions& options,
                            const std::optional<std::string>& outputFolder) {
    PreviewPage page;
    page.input = entries.value(position);
    const std::vector<std::string> inputs = ToEngine(entries);
    const std::string input = ToEngine(page.input);
    try {
        if (outputFolder && !IsFolder(*outputFolder)) {
            page.outputProblem = kNoFolder;
        } else {
            OutputNamer namer(inputs);
            for (int i = 0; i < position; ++i) {
                const std::string& earlier = inputs[static_cast<std::size_t>(i)];
                if (PathExists(earlier) && !IsFolder(earlier)) {
                    namer.WouldWrite(earlier, namer.OutputPathFor(earlier, outputFolder));
                }
            }
            const std::string output = namer.OutputPathFor(input, outputFolder);
            page.output = FromEngine(output);
            page.replaces = PathExists(output) || namer.WouldExist(output);
        }
    } catch (const std::exception& error) {
        page.outputProblem = QString::fromUtf8(error.what());
    }
    try {
        const Preview preview = PreviewFile(input, options);
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
