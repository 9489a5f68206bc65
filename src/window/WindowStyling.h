// SPDX-License-Identifier: GPL-3.0-or-later
// The window's optional skin and its hand pointer, both read from beside the program.
#pragma once

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

namespace brantlewick {

// When "x/o.cjs" lies beside the program: the window, its labels, option buttons, check boxes and frames
// in the button face. The skin's own look is not drawn (Qt has no skin engine for it, and the desktop's
// style is what a user here expects), but the file must be readable: throws when it is not, as a skin that
// cannot be loaded is reported.
void ApplySkin(QWidget& window, const QString& programFolder);

// The image of "HAND-M.CUR" beside the program; nothing when there is no such file. Throws when it is no
// valid pointer file.
std::optional<QCursor> LoadHandPointer(const QString& programFolder);

// A pointer image from a pointer (.cur) file, with the hot spot the file gives. Throws std::runtime_error
// when the file cannot be read or is not a pointer file.
QCursor LoadCursorFile(const QString& path);

} // namespace brantlewick
