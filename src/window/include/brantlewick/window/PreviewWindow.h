// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window: the original and the result side by side, scrolled together, with the inserted
// breaks, the dropped blanks and the input's line breaks taken out marked in colour, and what the run
// would write where.
#pragma once

#include <QRect>
#include <QWidget>

class QLabel;

namespace brantlewick {

class MarkedTextView;
struct PreviewPage;

class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    explicit PreviewWindow(QWidget* owner);

    void SetPage(const PreviewPage& page);

private:
    QLabel* paths_;
    QLabel* summary_;
    MarkedTextView* original_;
    MarkedTextView* result_;
};

// Where the preview of `size` opens the first time: beside the main window's frame `main` (to its right,
// else its left, else below or above it), so that the options it follows stay in sight; inside `screen`
// (its available area) however little room there is.
QRect PreviewPlace(const QRect& main, const QSize& size, const QRect& screen);

} // namespace brantlewick
