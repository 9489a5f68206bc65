// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window's layout, its colouring of the markers, and where it opens.
#include "brantlewick/window/PreviewWindow.h"

#include "Contrast.h"
#include "brantlewick/window/PreviewPage.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace brantlewick {

namespace {

// How long one step of filling a view may keep the window from its events.
constexpr int kFillMilliseconds = 8;
// A step's piece of text: a screen or two, ended at a line end (a text view lays out each line it takes).
constexpr qsizetype kFillPiece = qsizetype{4} * 1024;

// The hues of the markers, as on a white page.
constexpr QRgb kHues[] = {0x0055cc, 0xc02020, 0xa05000, 0x207020, 0x808080};

} // namespace

MarkerColours MarkerColoursOn(PreviewMarker kind, const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const QColor hue(kHues[static_cast<int>(kind)]);
    // The line that goes on is a hint, not a change: no tile.
    const QColor tile = kind == PreviewMarker::Continued ? base : Mixed(base, hue, 0.18);
    QColor glyph = WithContrast(hue, tile, kTextContrast);
    if (ContrastRatio(glyph, base) < kTextContrast) {
        glyph = WithContrast(glyph, base, kTextContrast);
    }
    return {glyph, tile};
}

// A read-only view of one shown text that colours the markers of the blocks it is about to paint: a
// preview of tens of thousands of markers pays only for those in sight, where formats for every block, or
// put into the text, took longer than the rest of the preview together. A long text goes in a piece at a
// time between the window's events, so that the window never waits for all of it.
class MarkedTextView final : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MarkedTextView(QWidget& owner) : QPlainTextEdit(&owner) {
        setReadOnly(true);
        setUndoRedoEnabled(false);
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        fill_.setSingleShot(true);
        connect(&fill_, &QTimer::timeout, this, &MarkedTextView::FillStep);
        MakeFormats();
    }

    // `marks` in order of position.
    void SetText(const QString& text, QList<PreviewMark> marks) {
        marks_ = std::move(marks);
        text_ = text;
        fed_ = 0;
        setPlainText(Piece());
        fill_.start(0);
        if (Filled()) {
            emit filled();
        }
    }
    bool Filled() const { return fed_ >= text_.size(); }

signals:
    void filled();

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
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::PaletteChange) {
            MakeFormats();
            for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
                block.setUserState(-1);
            }
            viewport()->update();
        }
        QPlainTextEdit::changeEvent(event);
    }

private:
    static constexpr int kColoured = 1;

    // The next piece of the text, up to a line end when there is one near.
    QString Piece() {
        qsizetype end = std::min(text_.size(), fed_ + kFillPiece);
        if (end < text_.size()) {
            const qsizetype lineEnd = text_.lastIndexOf(u'\n', end - 1);
            end = lineEnd > fed_ ? lineEnd : end;
        }
        QString piece = text_.mid(fed_, end - fed_);
        fed_ = end;
        return piece;
    }

    void FillStep() {
        QElapsedTimer step;
        step.start();
        while (!Filled() && step.elapsed() < kFillMilliseconds) {
            // Appended without a block of its own: the piece goes on the last line.
            QTextCursor end(document());
            end.movePosition(QTextCursor::End);
            end.insertText(Piece());
        }
        if (Filled()) {
            emit filled();
        } else {
            fill_.start(0);
        }
    }

    // The markers' colours, bold in a font whose bold letters are as wide: no line wraps anew.
    void MakeFormats() {
        for (int kind = 0; kind < kMarkerKinds; ++kind) {
            const MarkerColours colours = MarkerColoursOn(static_cast<PreviewMarker>(kind), palette());
            QTextCharFormat& format = formats_[kind];
            format.setForeground(colours.glyph);
            if (static_cast<PreviewMarker>(kind) != PreviewMarker::Continued) {
                format.setBackground(colours.tile);
                format.setFontWeight(QFont::Bold);
            }
        }
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

    static constexpr int kMarkerKinds = 5;
    QList<PreviewMark> marks_;
    QTextCharFormat formats_[kMarkerKinds];
    QString text_;
    qsizetype fed_ = 0;
    QTimer fill_;
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

QWidget* Titled(QWidget& parent, const QString& title, QWidget* view) {
    auto* pane = new QWidget(&parent);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(title, pane);
    label->setBuddy(view);
    layout->addWidget(label);
    view->setParent(pane);
    layout->addWidget(view, 1);
    return pane;
}

// The margins of the window system's frame around `window`.
QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// Two places are the same give or take what a window manager rounds.
bool Near(const QRect& one, const QRect& other) {
    constexpr int kSlack = 2;
    return std::abs(one.left() - other.left()) <= kSlack && std::abs(one.top() - other.top()) <= kSlack &&
           std::abs(one.width() - other.width()) <= kSlack &&
           std::abs(one.height() - other.height()) <= kSlack;
}

} // namespace

QString ScreenSetUp() {
    QStringList screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->geometry();
        screens.append(QStringLiteral("%1x%2+%3+%4@%5")
                           .arg(area.width())
                           .arg(area.height())
                           .arg(area.left())
                           .arg(area.top())
                           .arg(screen->devicePixelRatio()));
    }
    screens.sort();
    return screens.join(u' ');
}

PreviewWindow::PreviewWindow(QWidget* owner, PreviewPlaces* places)
    : QWidget(owner, Qt::Window), places_(places), followed_(owner != nullptr ? owner->window() : nullptr) {
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
    summary_->setWordWrap(true);
    original_ = new MarkedTextView(*this);
    result_ = new MarkedTextView(*this);
    original_->setAccessibleName(QStringLiteral("Original"));
    result_->setAccessibleName(QStringLiteral("Result"));
    ScrollTogether(*original_, *result_);
    ScrollTogether(*result_, *original_);
    for (MarkedTextView* view : {original_, result_}) {
        connect(view, &MarkedTextView::filled, this, [this] {
            if (Filled()) {
                emit filled();
            }
        });
    }
    panes_ = new QSplitter(Qt::Horizontal, this);
    panes_->setChildrenCollapsible(false);
    panes_->addWidget(Titled(*panes_, QStringLiteral("&Original"), original_));
    panes_->addWidget(Titled(*panes_, QStringLiteral("&Result"), result_));
    legend_ = new QLabel(this);
    legend_->setTextFormat(Qt::RichText);
    legend_->setWordWrap(true);
    ShowLegend();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    grid->addWidget(paths_, 0, 0);
    grid->addWidget(panes_, 1, 0);
    grid->addWidget(summary_, 2, 0);
    grid->addWidget(legend_, 3, 0);
    grid->addWidget(buttons, 4, 0);
    grid->setRowStretch(1, 1);
    if (followed_) {
        followed_->installEventFilter(this);
    }
}

void PreviewWindow::ShowLegend() {
    const auto entry = [this](PreviewMarker kind, QChar marker, const char* meaning) {
        const MarkerColours colours = MarkerColoursOn(kind, palette());
        return QStringLiteral("<span style=\"color:%1;background:%2\"><b>&nbsp;%3&nbsp;</b></span>&nbsp;%4")
            .arg(colours.glyph.name(), colours.tile.name(), marker, QLatin1StringView(meaning));
    };
    legend_->setText(
        QStringList{entry(PreviewMarker::Break, kBreakMarker, "line break inserted"),
                    entry(PreviewMarker::Blank, kBlankMarker, "blank dropped"),
                    entry(PreviewMarker::JoinedLine, kJoinedLineMarker, "input's line break taken out"),
                    entry(PreviewMarker::AddedLine, kAddedLineMarker, "paragraph break added"),
                    entry(PreviewMarker::Continued, kContinuedMarker, "long line goes on")}
            .join(QStringLiteral(" &nbsp; ")));
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

    // Keep the place read in the result across a change of the options, once the text is there again.
    const int scrolled = result_->verticalScrollBar()->value();
    original_->SetText(page.original, page.originalMarks);
    result_->SetText(page.result, page.marks);
    if (result_->Filled()) {
        result_->verticalScrollBar()->setValue(scrolled);
    } else {
        auto* once = new QObject(this);
        connect(result_, &MarkedTextView::filled, once, [this, scrolled, once] {
            result_->verticalScrollBar()->setValue(scrolled);
            once->deleteLater();
        });
    }
}

bool PreviewWindow::Filled() const {
    return original_->Filled() && result_->Filled();
}

void PreviewWindow::Place() {
    if (!followed_ || followed_->screen() == nullptr) {
        return;
    }
    const QMargins margins = FrameMargins(*followed_);
    const QRect screen = followed_->screen()->availableGeometry();
    QRect frame;
    if (const auto remembered = places_ != nullptr ? places_->Remembered(ScreenSetUp()) : std::nullopt;
        remembered && screen.intersects(*remembered)) {
        userPlaced_ = true;
        frame = *remembered;
        panes_->setOrientation(frame.width() >= frame.height() ? Qt::Horizontal : Qt::Vertical);
    } else {
        const QRect main = followed_->frameGeometry();
        const QRect list = followed_->property("previewMayCover").toRect();
        const PreviewPlacement placement = PreviewPlace(
            main, list.isValid() ? list.translated(followed_->geometry().topLeft()) : QRect(), screen);
        frame = placement.frame;
        panes_->setOrientation(placement.panes);
    }
    placing_ = true;
    resize(frame.size().shrunkBy(margins));
    move(frame.topLeft());
    placed_ = frame;
    placing_ = false;
}

void PreviewWindow::PlacedByUser() {
    if (placing_ || !isVisible() || Near(frameGeometry(), placed_)) {
        return;
    }
    placed_ = frameGeometry();
    userPlaced_ = true;
    if (places_ != nullptr) {
        places_->Remember(ScreenSetUp(), placed_);
    }
}

void PreviewWindow::moveEvent(QMoveEvent* event) {
    PlacedByUser();
    QWidget::moveEvent(event);
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
    PlacedByUser();
    QWidget::resizeEvent(event);
}

void PreviewWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        ShowLegend();
    }
    QWidget::changeEvent(event);
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    // The main window moved: the preview goes along, unless the user has put it somewhere.
    if (watched == followed_ && event->type() == QEvent::Move && !userPlaced_ && isVisible()) {
        Place();
    }
    return false;
}

namespace {

// The preview's frame: at most this large, at least the smaller for one of the two ways of showing the
// panes, which are side by side from this width on.
constexpr QSize kLargest(1200, 900);
constexpr QSize kSmallestSideBySide(640, 360);
constexpr QSize kSmallestStacked(400, 480);
constexpr int kWide = 800;

} // namespace

PreviewPlacement PreviewPlace(const QRect& main, const QRect& list, const QRect& screen) {
    constexpr int kGap = 8;
    const auto fitted = [&](const QRect& area) { return area.size().boundedTo(kLargest); };
    const auto holds = [](const QSize& size) {
        return (size.width() >= kSmallestSideBySide.width() &&
                size.height() >= kSmallestSideBySide.height()) ||
               (size.width() >= kSmallestStacked.width() && size.height() >= kSmallestStacked.height());
    };
    enum Side { Right, Left, Below, Above, OverTheList };
    const QRect areas[] = {
        QRect(QPoint(main.right() + 1 + kGap, screen.top()), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(main.left() - 1 - kGap, screen.bottom())),
        QRect(QPoint(screen.left(), main.bottom() + 1 + kGap), screen.bottomRight()),
        QRect(screen.topLeft(), QPoint(screen.right(), main.top() - 1 - kGap)),
    };
    int side = OverTheList;
    qint64 largest = 0;
    for (int i = Right; i <= Above; ++i) {
        const QSize size = fitted(areas[i]);
        const qint64 room = static_cast<qint64>(size.width()) * size.height();
        if (areas[i].isValid() && holds(size) && room > largest) {
            side = i;
            largest = room;
        }
    }
    // No room beside it: the file list's column and what lies left of and above it, away from the options.
    const QRect over = list.isValid()
                           ? QRect(screen.topLeft(), QPoint(list.right() - kGap, list.bottom() - kGap))
                           : areas[Left];
    const QRect area = side == OverTheList ? over.intersected(screen) : areas[side];
    const QSize size = area.isValid() ? fitted(area) : kSmallestStacked.boundedTo(screen.size());
    const auto clamp = [](int wanted, int low, int high) { return std::max(low, std::min(wanted, high)); };
    const int alongY = clamp(main.top(), area.top(), area.bottom() + 1 - size.height());
    const int alongX = clamp(main.left(), area.left(), area.right() + 1 - size.width());
    QPoint at;
    switch (side) {
    case Right:
        at = {area.left(), alongY};
        break;
    case Left:
    case OverTheList:
        at = {area.right() + 1 - size.width(), alongY};
        break;
    case Below:
        at = {alongX, area.top()};
        break;
    default:
        at = {alongX, area.bottom() + 1 - size.height()};
        break;
    }
    at.setX(clamp(at.x(), screen.left(), screen.right() + 1 - size.width()));
    at.setY(clamp(at.y(), screen.top(), screen.bottom() + 1 - size.height()));
    const Qt::Orientation panes =
        size.width() >= kWide || size.height() < kSmallestStacked.height() ? Qt::Horizontal : Qt::Vertical;
    return {QRect(at, size), panes};
}

} // namespace brantlewick

#include "PreviewWindow.moc"
