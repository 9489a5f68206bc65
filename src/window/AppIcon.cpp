// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the icon: a page of text with a line break inserted after a sentence end.
#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace brantlewick {
namespace {

// The same drawing as the menu icon (packaging/icons), so the window and the menu show one picture.
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 128.0, size / 128.0);
    const QColor ink(0x34, 0x49, 0x5e);
    const QColor mark(0xd9, 0x48, 0x0f);

    // The page with its folded corner.
    QPainterPath page;
    page.moveTo(26, 8);
    page.lineTo(84, 8);
    page.lineTo(106, 30);
    page.lineTo(106, 116);
    page.quadTo(106, 120, 102, 120);
    page.lineTo(26, 120);
    page.quadTo(22, 120, 22, 116);
    page.lineTo(22, 12);
    page.quadTo(22, 8, 26, 8);
    painter.setPen(QPen(ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(0xfb, 0xfa, 0xf4));
    painter.drawPath(page);
    QPainterPath corner;
    corner.moveTo(84, 8);
    corner.lineTo(84, 26);
    corner.quadTo(84, 30, 88, 30);
    corner.lineTo(106, 30);
    painter.setBrush(QColor(0xe3, 0xe6, 0xe8));
    painter.drawPath(corner);

    // Lines of text, the second ending in a full stop after which the text breaks.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x87, 0x95, 0xa1));
    for (const QRectF& line :
         {QRectF(34, 38, 52, 7), QRectF(34, 52, 32, 7), QRectF(34, 82, 60, 7), QRectF(34, 96, 44, 7)}) {
        painter.drawRoundedRect(line, 3.5, 3.5);
    }
    painter.setBrush(mark);
    painter.drawEllipse(QPointF(73, 55.5), 4.5, 4.5);

    // The return arrow.
    QPainterPath arrow;
    arrow.moveTo(90, 46);
    arrow.lineTo(90, 64);
    arrow.quadTo(90, 70, 84, 70);
    arrow.lineTo(48, 70);
    arrow.moveTo(52, 61);
    arrow.lineTo(41, 70);
    arrow.lineTo(52, 79);
    painter.setPen(QPen(mark, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(arrow);
    return pixmap;
}

} // namespace

QIcon BrantlewickIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(DrawIcon(size));
    }
    return icon;
}

} // namespace brantlewick
