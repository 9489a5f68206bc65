// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's page: the conversion of the start of a file, its edits turned into visible markers, and
// the naming of the run without the run.
#include "PreviewPage.h"

#include "EngineText.h"
#include "OutputNaming.h"
#include "PathHelpers.h"
#include "Preview.h"

#include <QLocale>
#include <QStringDecoder>

#include <algorithm>
#include <exception>

namespace brantlewick {
namespace {

// What "Start Adding" says when the output folder is not there; the run would not start.
constexpr QLatin1StringView kNoFolder("Folder does not exist. Please select another folder.");

bool IsUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString decoded = decoder(QByteArrayView(bytes.data(), std::ssize(bytes)));
    return !decoder.hasError();
}

// Builds a text for the screen: every line end (CR LF, LF, lone CR) becomes one "\n", and a text that is
// not UTF-8 is shown byte for character, as single-byte text.
class ShownText {
public:
    explicit ShownText(bool utf8) : utf8_(utf8) {}

    void Add(std::string_view bytes) {
        const auto size = std::ssize(bytes);
        const QString piece =
            utf8_ ? QString::fromUtf8(bytes.data(), size) : QString::fromLatin1(bytes.data(), size);
        for (const QChar c : piece) {
            if (c == u'\n' && afterCr_) {
                afterCr_ = false;
                continue;
            }
            afterCr_ = c == u'\r';
            text_.append(afterCr_ ? QChar(u'\n') : c);
        }
    }
    void AddMarkers(QChar marker, qsizetype count, Edit::Kind kind, bool withLineEnd) {
        afterCr_ = false;
        if (!withLineEnd) {
            marks_.append({text_.size(), count, kind});
            text_.append(QString(count, marker));
            return;
        }
        for (qsizetype i = 0; i < count; ++i) {
            marks_.append({text_.size(), 1, kind});
            text_.append(marker);
            text_.append(u'\n');
        }
    }
    QString& Text() { return text_; }
    QList<PreviewMark>& Marks() { return marks_; }

private:
    bool utf8_;
    bool afterCr_ = false;
    QString text_;
    QList<PreviewMark> marks_;
};

// The result with a marker before each inserted CR LF (which it replaces on the screen) and one for each
// dropped blank where it was.
void ShowResult(const Preview& preview, PreviewPage& page) {
    const std::string_view result = preview.result;
    ShownText shown(IsUtf8(result));
    std::uint64_t done = 0;
    for (const Edit& edit : preview.edits) {
        const std::uint64_t at = std::min<std::uint64_t>(edit.at, result.size());
        if (at > done) {
            shown.Add(result.substr(done, at - done));
            done = at;
        }
        const auto count = static_cast<qsizetype>(edit.count);
        if (edit.kind == Edit::Kind::Blanks) {
            shown.AddMarkers(kBlankMarker, count, edit.kind, false);
        } else {
            shown.AddMarkers(kBreakMarker, count, edit.kind, true);
            done = std::min<std::uint64_t>(std::max(done, at + 2 * edit.count), result.size());
        }
    }
    shown.Add(result.substr(done));
    page.result = std::move(shown.Text());
    page.marks = std::move(shown.Marks());
}

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
        ShownText original(IsUtf8(preview.original));
        original.Add(preview.original);
        page.original = std::move(original.Text());
        ShowResult(preview, page);
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
