// The skin stand-in: it checks that the skin file can be read and remembers what it was told.
#include "SkinFramework.h"

#include <QFile>

#include <stdexcept>

namespace brantlewick {

void SkinFramework::LoadSkin(const QString& path, const QString& section) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            QStringLiteral("Cannot load the skin %1: %2.").arg(path, file.errorString()).toStdString());
    }
    path_ = path;
    section_ = section;
}

void SkinFramework::SetSwitch(int dispatchNumber, bool on) {
    if (on) {
        switches_.insert(dispatchNumber);
    } else {
        switches_.erase(dispatchNumber);
    }
}

void SkinFramework::ApplyWindow(quintptr nativeWindow) {
    window_ = nativeWindow;
}

} // namespace brantlewick
