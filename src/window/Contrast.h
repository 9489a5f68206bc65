// SPDX-License-Identifier: GPL-3.0-or-later
// Colours that stay readable on the desktop's palette, light or dark: contrast as the web's accessibility
// guidelines measure it, and the least change of a colour that reaches a contrast.
#pragma once

#include <QColor>

namespace brantlewick {

// Text and small marks need 4.5:1 against what is behind them; a focus ring or a border 3:1.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kMarkContrast = 3.0;

// From 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const QColor& one, const QColor& other);

// `wanted` as it is when it stands out from `background` by `ratio`, else mixed towards black or white
// (whichever stands out more from the background) as little as reaches it. Any ratio up to 4.5 is reached.
QColor WithContrast(const QColor& wanted, const QColor& background, double ratio);

// `colour` laid over `background` with the share `amount` (0 to 1).
QColor Mixed(const QColor& background, const QColor& colour, double amount);

} // namespace brantlewick
