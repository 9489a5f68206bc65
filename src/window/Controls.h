// SPDX-License-Identifier: GPL-3.0-or-later
// How the window's controls are made: at their designed places in twips (1/1440 inch, 15 to a pixel),
// under the names that tests and the end-to-end run find them by, in the window's fonts.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>

#include <utility>

class QLineEdit;
class QPushButton;

namespace brantlewick {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// Left, top, width and height in twips, relative to the container.
struct TwipsPlace {
    int left, top, width, height;
};

QFont ArialBold(qreal points);

template <typename Control, typename... Arguments>
Control* MakeControl(QWidget& container, const char* name, TwipsPlace place, Arguments&&... arguments) {
    auto* control = new Control(std::forward<Arguments>(arguments)..., &container);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(TwipsToPixels(place.left), TwipsToPixels(place.top), TwipsToPixels(place.width),
                         TwipsToPixels(place.height));
    return control;
}

// A push button in the buttons' larger font that never acts as the window's default button.
QPushButton* MakeButton(QWidget& container, const char* name, const QString& caption, TwipsPlace place);
// A text box that holds at most kLongestBoxText characters.
QLineEdit* MakeTextBox(QWidget& container, const char* name, TwipsPlace place);

// The most a text box holds; a longer stored value is refused at start-up instead of being cut.
inline constexpr int kLongestBoxText = 32767;

} // namespace brantlewick
