// Draws the icon: a sheet of text whose lines break after a full stop.
#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace brantlewick {
namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    // The sheet.
    painter.setPen(QPen(QColor(0x2f, 0x4f, 0x7f), 2.5));
    painter.setBrush(QColor(0xfb, 0xfb, 0xf4));
    painter.drawRoundedRect(QRectF(8, 4, 48, 56), 5, 5);
    // Text lines of different lengths, each ending in a dot.
    painter.setPen(QPen(QColor(0x55, 0x5f, 0x6d), 4, Qt::SolidLine, Qt::RoundCap));
    const qreal lengths[] = {30, 22, 26, 16};
    for (int i = 0; i < 4; ++i) {
        const qreal y = 15 + i * 11;
        painter.drawLine(QPointF(15, y), QPointF(15 + lengths[i], y));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd9, 0x48, 0x2b));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 15 + i * 11;
        painter.drawEllipse(QPointF(22 + lengths[i], y), 3, 3);
    }
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
