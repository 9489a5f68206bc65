// SPDX-License-Identifier: GPL-3.0-or-later
// The preview window: the original and the result side by side (or one above the other), scrolled
// together, with the inserted breaks, the dropped blanks and the input's line breaks taken out marked in
// colour, and what the run would write where. It opens beside the main window and follows it until the user
// moves or resizes it; from then on it stays where the user left it, on each set-up of screens.
#pragma once

#include "brantlewick/window/DesktopServices.h"
#include "brantlewick/window/PreviewText.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

class QLabel;
class QSplitter;

namespace brantlewick {

class MarkedTextView;
struct PreviewPage;

// The screens as they are set up now ("1920x1080+0+0@1 2560x1440+1920+0@2"): a place is remembered for one.
QString ScreenSetUp();

class PreviewWindow final : public QWidget {
    Q_OBJECT

public:
    // `places` may be null: then nothing is remembered.
    PreviewWindow(QWidget* owner, PreviewPlaces* places);

    void SetPage(const PreviewPage& page);
    // Beside the main window, or where the user left it on these screens.
    void Place();
    // The texts are all in their views (they are filled a screenful at a time).
    bool Filled() const;

signals:
    void filled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PlacedByUser();
    void ShowLegend();

    PreviewPlaces* places_;
    QPointer<QWidget> followed_;
    QRect placed_; // the frame the window was last given, while it follows
    bool userPlaced_ = false;
    bool placing_ = false;
    QLabel* paths_;
    QLabel* summary_;
    QLabel* legend_;
    QSplitter* panes_;
    MarkedTextView* original_;
    MarkedTextView* result_;
};

// Where the preview's frame opens beside the main window's frame `main` (title bar and border counted) on
// the available area `screen`: in the largest free area beside it, fitted to it, the panes side by side
// where it is wide and one above the other where it is tall. Where no area beside it holds the smallest
// sensible preview, over the file list's column (`list`, the part of the main window that holds neither
// the options nor "Start Adding") and what lies left of and above it.
struct PreviewPlacement {
    QRect frame;
    Qt::Orientation panes = Qt::Horizontal; // side by side
};
PreviewPlacement PreviewPlace(const QRect& main, const QRect& list, const QRect& screen);

// The colour of a marker's glyph and of the tile behind it on `palette`'s base colour: the glyph stands out
// from both by at least 4.5:1, in light and dark palettes alike.
struct MarkerColours {
    QColor glyph;
    QColor tile;
};
MarkerColours MarkerColoursOn(PreviewMarker kind, const QPalette& palette);

} // namespace brantlewick
