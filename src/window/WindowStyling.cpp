// SPDX-License-Identifier: GPL-3.0-or-later
// The optional skin and the hand pointer image.
#include "WindowStyling.h"

#include "EngineText.h"
#include "brantlewick/filesystem/FileSystem.h"
#include "brantlewick/filesystem/PathHelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

#include <stdexcept>

namespace brantlewick {
namespace {

void SetBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

void ApplySkin(QWidget& window, const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/x/o.cjs");
    // Only a plain file counts, as a directory listing for normal files would find it.
    const auto attributes = FileAttributes(ToEngine(path));
    if (!attributes || !IsRegularFile(ToEngine(path)) ||
        (*attributes & (kAttributeHidden | kAttributeSystem | kAttributeFolder)) != 0) {
        return;
    }
    const QColor buttonFace = window.palette().color(QPalette::Button);
    SetBackground(window, buttonFace);
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(control) || qobject_cast<QRadioButton*>(control) ||
            qobject_cast<QCheckBox*>(control) || qobject_cast<QGroupBox*>(control)) {
            SetBackground(*control, buttonFace);
        }
    }
    QFile skin(path);
    if (!skin.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(
            QStringLiteral("Cannot load the skin %1: %2.").arg(path, skin.errorString()).toStdString());
    }
}

std::optional<QCursor> LoadHandPointer(const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/HAND-M.CUR");
    if (!PathExists(ToEngine(path))) {
        return std::nullopt;
    }
    return LoadCursorFile(path);
}

QCursor LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(QStringLiteral("Cannot read the pointer image %1: %2.")
                                     .arg(path, file.errorString())
                                     .toStdString());
    }
    const QByteArray bytes = file.readAll();
    // A pointer file is an icon directory of type 2 whose first entry holds the hot spot.
    constexpr qsizetype kDirectoryLength = 6;
    constexpr qsizetype kEntryLength = 16;
    constexpr int kPointerType = 2;
    const auto word = [&bytes](qsizetype offset) {
        if (offset < 0 || offset + 1 >= bytes.size()) {
            return -1;
        }
        return static_cast<uchar>(bytes[offset]) | static_cast<uchar>(bytes[offset + 1]) << 8;
    };
    QPixmap image;
    if (bytes.size() >= kDirectoryLength + kEntryLength && word(0) == 0 && word(2) == kPointerType &&
        word(4) >= 1) {
        image.loadFromData(bytes, "CUR");
    }
    if (image.isNull()) {
        throw std::runtime_error(
            QStringLiteral("The pointer image %1 is not a valid pointer file.").arg(path).toStdString());
    }
    const int hotX = word(kDirectoryLength + 4);
    const int hotY = word(kDirectoryLength + 6);
    // A hot spot outside the image would point nowhere; the top left corner is the usual tip.
    const bool inside = hotX >= 0 && hotX < image.width() && hotY >= 0 && hotY < image.height();
    return QCursor(image, inside ? hotX : 0, inside ? hotY : 0);
}

} // namespace brantlewick
