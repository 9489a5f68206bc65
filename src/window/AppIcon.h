// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, drawn at run time so that no image file has to travel with the executable.
#pragma once

#include <QIcon>

namespace brantlewick {
QIcon BrantlewickIcon();
}
