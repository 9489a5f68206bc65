// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window's layout, its colouring of the markers, and where it opens.
#include "brantlewick/window/PreviewWindow.h"

#include "brantlewick/window/PreviewPage.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>

#include <algorithm>

namespace brantlewick {

// A read-only view of one shown text that colours the markers of the blocks it is about to paint: a
// preview of tens of thousands of markers pays only for those in sight, where formats for every block, or
// put into the text, took longer than the rest of the preview together.
class MarkedTextView final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MarkedTextView(QWidget& owner) : QPlainTextEdit(&owner) {
        setReadOnly(true);
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        formats_[static_cast<int>(PreviewMarker::Break)] = Format(0x0055cc, 0xddeaff);
        formats_[static_cast<int>(PreviewMarker::Blank)] = Format(0xc02020, 0xffe0e0);
        formats_[static_cast<int>(PreviewMarker::JoinedLine)] = Format(0xa05000, 0xffeccc);
        formats_[static_cast<int>(PreviewMarker::AddedLine)] = Format(0x207020, 0xe0f4e0);
        formats_[static_cast<int>(PreviewMarker::Continued)].setForeground(QColor(0x909090));
    }

    // `marks` in order of position.
    void SetText(const QString& text, QList<PreviewMark> marks) {
        marks_ = std::move(marks);
        setPlainText(text);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        const int bottom = viewport()->height();
        for (QTextBlock block = firstVisibleBlock();
             block.isValid() && blockBoundingGeometry(block).translated(contentOffset()).top() <= bottom;
             block = block.next()) {
            if (block.userState() != kColoured) {
                block.setUserState(kColoured); // a new text's blocks start at -1
                Colour(block);
            }
        }
        QPlainTextEdit::paintEvent(event);
    }

private:
    static constexpr int kColoured = 1;

    // The markers' colours, bold in a font whose bold letters are as wide: no line wraps anew.
    static QTextCharFormat Format(QRgb colour, QRgb background) {
        QTextCharFormat format;
        format.setForeground(QColor(colour));
        format.setBackground(QColor(background));
        format.setFontWeight(QFont::Bold);
        return format;
    }

    void Colour(const QTextBlock& block) const {
        const qsizetype start = block.position();
        const qsizetype end = start + block.length();
        QList<QTextLayout::FormatRange> ranges;
        for (auto mark =
                 std::lower_bound(marks_.cbegin(), marks_.cend(), start,
                                  [](const PreviewMark&m, qsizetype at) { return m.at + m.length <= at; });
             mark != marks_.cend() && mark->at < end; ++mark) {
            ranges.append({static_cast<int>(mark->at - start), static_cast<int>(mark->length),
                           formats_[static_cast<int>(mark->kind)]});
        }
        if (!ranges.isEmpty()) {
            block.layout()->setFormats(ranges);
        }
    }

    QList<PreviewMark> marks_;
    QTextCharFormat formats_[5];
};

namespace {

// The two texts have different lines, so they scroll together by the share of each that is above view.
void ScrollTogether(QPlainTextEdit& one, QPlainTextEdit& other) {
    QScrollBar* from = one.verticalScrollBar();
    QScrollBar* to = other.verticalScrollBar();
    QObject::connect(from, &QScrollBar::valueChanged, to, [from, to](int value) {
        const int range = from->maximum() - from->minimum();
        if (range > 0 && !to->isSliderDown()) {
            const QSignalBlocker quiet(to);
            to->setValue(to->minimum() + static_cast<int>(static_cast<qint64>(value - from->minimum()) *
                                                          (to->maximum() - to->minimum()) / range));
        }
    });
}

QString LegendEntry(const char* colour, const char* background, QChar marker, const char* meaning) {
    return QStringLiteral("<span style=\"color:%1;background:%2\"><b>%3</b></span>&nbsp;%4")
        .arg(QLatin1StringView(colour), QLatin1StringView(background), marker, QLatin1StringView(meaning));
}

} // namespace

PreviewWindow::PreviewWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("PreviewWindow"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1000, 640);
    auto* grid = new QGridLayout(this);
    paths_ = new QLabel(this);
    paths_->setTextFormat(Qt::PlainText);
    paths_->setWordWrap(true);
    paths_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary_ = new QLabel(this);
    summary_->setTextFormat(Qt::PlainText);
    original_ = new MarkedTextView(*this);
    result_ = new MarkedTextView(*this);
    ScrollTogether(*original_, *result_);
    ScrollTogether(*result_, *original_);
    auto* legend = new QLabel(this);
    legend->setTextFormat(Qt::RichText);
    legend->setText(
        QStringList{LegendEntry("#0055cc", "#ddeaff", kBreakMarker, "line break inserted"),
                    LegendEntry("#c02020", "#ffe0e0", kBlankMarker, "blank dropped"),
                    LegendEntry("#a05000", "#ffeccc", kJoinedLineMarker, "input's line break taken out"),
                    LegendEntry("#207020", "#e0f4e0", kAddedLineMarker, "paragraph break added"),
                    LegendEntry("#909090", "transparent", kContinuedMarker, "long line goes on")}
            .join(QStringLiteral(" &nbsp; ")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    grid->addWidget(paths_, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Original"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Result"), this), 1, 1);
    grid->addWidget(original_, 2, 0);
    grid->addWidget(result_, 2, 1);
    grid->addWidget(summary_, 3, 0, 1, 2);
    grid->addWidget(legend, 4, 0, 1, 2);
    grid->addWidget(buttons, 5, 1);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

void PreviewWindow::SetPage(const PreviewPage& page) {
    setWindowTitle(QStringLiteral("Preview - %1").arg(QFileInfo(page.input).fileName()));
    QString paths = page.input + QStringLiteral("\n-> ");
    if (!page.outputProblem.isEmpty()) {
        paths += page.outputProblem;
    } else {
        paths += page.output;
        if (page.replaces) {
            paths += QStringLiteral("  (replaces an existing file)");
        }
    }
    paths_->setText(paths);
    summary_->setText(page.readProblem.isEmpty() ? PreviewSummary(page) : page.readProblem);

    // Keep the place read in the result across a change of the options.
    const int scrolled = result_->verticalScrollBar()->value();
    original_->SetText(page.original, page.originalMarks);
    result_->SetText(page.result, page.marks);
    result_->verticalScrollBar()->setValue(scrolled);
}

QRect PreviewPlace(const QRect& main, const QSize& size, const QRect& screen) {
    constexpr int kGap = 8;
    const int top = main.top();
    const int left = main.left();
    const QPoint candidates[] = {
        {main.right() + 1 + kGap, top},     // right of it
        {left - kGap - size.width(), top},  // left of it
        {left, main.bottom() + 1 + kGap},   // below it
        {left, top - kGap - size.height()}, // above it
    };
    QPoint at = candidates[0];
    for (const QPoint& candidate : candidates) {
        if (screen.contains(QRect(candidate, size))) {
            at = candidate;
            break;
        }
    }
    // Inside the screen's area, its top left corner first when the window is larger than the screen.
    at.setX(std::max(screen.left(), std::min(at.x(), screen.right() + 1 - size.width())));
    at.setY(std::max(screen.top(), std::min(at.y(), screen.bottom() + 1 - size.height())));
    return {at, size};
}

} // namespace brantlewick

#include "PreviewWindow.moc"
