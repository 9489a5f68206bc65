// SPDX-License-Identifier: GPL-3.0-or-later
// The window's fonts and the making of its buttons and text boxes.
#include "Controls.h"

#include <QLineEdit>
#include <QPushButton>

namespace brantlewick {

QFont ArialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QPushButton* MakeButton(QWidget& container, const char* name, const QString& caption, TwipsPlace place) {
    auto* button = MakeControl<QPushButton>(container, name, place, caption);
    button->setFont(ArialBold(11.25));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* MakeTextBox(QWidget& container, const char* name, TwipsPlace place) {
    auto* box = MakeControl<QLineEdit>(container, name, place);
    box->setMaxLength(kLongestBoxText);
    return box;
}

} // namespace brantlewick
