// SPDX-License-Identifier: GPL-3.0-or-later
// A ring around the control that has the keyboard focus, drawn by the window itself: a style's own focus
// mark is faint in some styles and missing in others.
#pragma once

#include <QPointer>
#include <QWidget>

namespace brantlewick {

class FocusRing final : public QWidget {
    Q_OBJECT

public:
    explicit FocusRing(QWidget& window);

    // The ring's colour on `palette`: the highlight, made to stand out from the window's background.
    static QColor Colour(const QPalette& palette);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow(QWidget* control);

    QPointer<QWidget> control_;
};

} // namespace brantlewick
