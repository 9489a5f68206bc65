// SPDX-License-Identifier: GPL-3.0-or-later
// The focus ring: a frame laid over the window around the focused control, passing every click through.
#include "FocusRing.h"

#include "Contrast.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace brantlewick {
namespace {

// The ring lies this far around the control, and is this thick: clear of the control's own border, and
// inside the gap of at least 8 pixels between two controls.
constexpr int kOutside = 3;
constexpr int kWidth = 2;

} // namespace

FocusRing::FocusRing(QWidget& window) : QWidget(&window) {
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) { Follow(now); });
}

QColor FocusRing::Colour(const QPalette& palette) {
    return WithContrast(palette.color(QPalette::Highlight), palette.color(QPalette::Window), kMarkContrast);
}

void FocusRing::Follow(QWidget* control) {
    if (control_) {
        control_->removeEventFilter(this);
    }
    control_ = control;
    QWidget* window = parentWidget();
    if (control == nullptr || control == window || control->window() != window) {
        hide();
        return;
    }
    // A control that moves or changes its size (none does today) takes the ring along.
    control->installEventFilter(this);
    setGeometry(QRect(control->mapTo(window, QPoint(0, 0)), control->size())
                    .adjusted(-kOutside, -kOutside, kOutside, kOutside));
    raise();
    show();
    update();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == control_ &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Hide)) {
        Follow(control_->isVisible() ? control_.data() : nullptr);
    }
    return false;
}

void FocusRing::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Colour(palette()), kWidth));
    painter.setBrush(Qt::NoBrush);
    constexpr qreal kInset = kWidth / 2.0;
    painter.drawRoundedRect(QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset), 3, 3);
}

} // namespace brantlewick
