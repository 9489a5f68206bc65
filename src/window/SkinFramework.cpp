// SPDX-License-Identifier: GPL-3.0-or-later
// The skin stand-in: it checks that the skin file can be read.
#include "SkinFramework.h"

#include <QFile>

#include <stdexcept>

namespace brantlewick {

void SkinFramework::LoadSkin(const QString& path, const QString& /*section*/) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            QStringLiteral("Cannot load the skin %1: %2.").arg(path, file.errorString()).toStdString());
    }
}

} // namespace brantlewick
