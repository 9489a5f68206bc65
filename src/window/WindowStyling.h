// SPDX-License-Identifier: GPL-3.0-or-later
// The window's optional skin and its hand pointer, both read from beside the program.
#pragma once

#include <QCursor>
#include <QString>

#include <optional>

class QWidget;

namespace brantlewick {

class SkinFramework;

// When "x/o.cjs" lies beside the program: the window, its labels, option buttons, check boxes and frames
// in the button face, and the skin loaded and applied. Throws when the skin cannot be read.
void ApplySkin(QWidget& window, SkinFramework& skin, const QString& programFolder);

// The image of "HAND-M.CUR" beside the program; nothing when there is no such file. Throws when it is no
// valid pointer file.
std::optional<QCursor> LoadHandPointer(const QString& programFolder);

// A pointer image from a pointer (.cur) file, with the hot spot the file gives. Throws std::runtime_error
// when the file cannot be read or is not a pointer file.
QCursor LoadCursorFile(const QString& path);

} // namespace brantlewick
