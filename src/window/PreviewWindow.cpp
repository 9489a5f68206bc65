// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window's layout and its colouring of the markers.
#include "PreviewWindow.h"

#include "PreviewPage.h"

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
#include <QTextCursor>

namespace brantlewick {
namespace {

QTextCharFormat MarkerFormat(Edit::Kind kind) {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setForeground(kind == Edit::Kind::Breaks ? QColor(0x00, 0x55, 0xcc) : QColor(0xc0, 0x20, 0x20));
    format.setBackground(kind == Edit::Kind::Breaks ? QColor(0xdd, 0xea, 0xff) : QColor(0xff, 0xe0, 0xe0));
    return format;
}

QPlainTextEdit* MakeTextView(QWidget& owner) {
    auto* view = new QPlainTextEdit(&owner);
    view->setReadOnly(true);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return view;
}

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
    original_ = MakeTextView(*this);
    result_ = MakeTextView(*this);
    ScrollTogether(*original_, *result_);
    ScrollTogether(*result_, *original_);
    auto* legend = new QLabel(this);
    legend->setText(QStringLiteral("<span style=\"color:#0055cc;background:#ddeaff\"><b>%1</b></span> line "
                                   "break inserted &nbsp; <span style=\"color:#c02020;background:#ffe0e0\">"
                                   "<b>%2</b></span> blank dropped")
                        .arg(kBreakMarker)
                        .arg(kBlankMarker));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    grid->addWidget(paths_, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Original"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Result"), this), 1, 1);
    grid->addWidget(original_, 2, 0);
    grid->addWidget(result_, 2, 1);
    grid->addWidget(summary_, 3, 0, 1, 2);
    grid->addWidget(legend, 4, 0);
    grid->addWidget(buttons, 4, 1);
    grid->setRowStretch(2, 1);
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
    original_->setPlainText(page.original);
    result_->setPlainText(page.result);
    QTextCursor cursor(result_->document());
    cursor.beginEditBlock();
    const QTextCharFormat breaks = MarkerFormat(Edit::Kind::Breaks);
    const QTextCharFormat blanks = MarkerFormat(Edit::Kind::Blanks);
    for (const PreviewMark& mark : page.marks) {
        cursor.setPosition(static_cast<int>(mark.at));
        cursor.setPosition(static_cast<int>(mark.at + mark.length), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(mark.kind == Edit::Kind::Breaks ? breaks : blanks);
    }
    cursor.endEditBlock();
    result_->verticalScrollBar()->setValue(scrolled);
}

} // namespace brantlewick
