// The window's pointer: its three states, the hand over the push buttons, and the optional skin.
#include "Form1.h"

#include "EngineText.h"

#include "FileSystem.h"
#include "PathHelpers.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

#include <stdexcept>

namespace brantlewick {
namespace {

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

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
    const auto word = [&bytes](qsizetype offset) {
        if (offset < 0 || offset + 1 >= bytes.size()) {
            return -1;
        }
        return static_cast<uchar>(bytes[offset]) | static_cast<uchar>(bytes[offset + 1]) << 8;
    };
    QPixmap image;
    if (bytes.size() >= kDirectoryLength + kEntryLength && word(0) == 0 && word(2) == 2 && word(4) >= 1) {
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

void Form1::SetMousePointer(PointerState state) {
    pointer_ = state;
    switch (state) {
    case PointerState::Default:
        setCursor(Qt::ArrowCursor);
        break;
    case PointerState::Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case PointerState::Custom:
        setCursor(handCursor_ ? *handCursor_ : QCursor(Qt::PointingHandCursor));
        break;
    }
}

void Form1::HandPointerMove() {
    if (pointer_ != PointerState::Hourglass) {
        SetMousePointer(PointerState::Custom);
    }
}

void Form1::PointerResetMove() {
    if (pointer_ != PointerState::Hourglass) {
        SetMousePointer(PointerState::Default);
    }
}

void Form1::LoadHandPointer() {
    const QString path = programFolder_ + QStringLiteral("/HAND-M.CUR");
    if (!PathExists(ToEngine(path))) {
        return;
    }
    handCursor_ = LoadCursorFile(path);
    if (pointer_ == PointerState::Custom) {
        SetMousePointer(PointerState::Custom);
    }
}

void Form1::ApplySkin() {
    const QString path = programFolder_ + QStringLiteral("/x/o.cjs");
    // Only a plain file counts, as a directory listing for normal files would find it.
    const auto attributes = FileAttributes(ToEngine(path));
    if (!attributes || !IsRegularFile(ToEngine(path)) ||
        (*attributes & (kAttributeHidden | kAttributeSystem | kAttributeFolder)) != 0) {
        return;
    }
    const QColor buttonFace = palette().color(QPalette::Button);
    SetBackground(this, buttonFace);
    for (QWidget* control : findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(control) || qobject_cast<QRadioButton*>(control) ||
            qobject_cast<QCheckBox*>(control) || qobject_cast<QGroupBox*>(control)) {
            SetBackground(control, buttonFace);
        }
    }
    skinFramework1_.LoadSkin(path, QString());
    skinFramework1_.SetOptions(skinFramework1_.Options() | 1);
    skinFramework1_.SetSwitch(5, true);
    skinFramework1_.SetSwitch(10, true);
    skinFramework1_.ApplyWindow(static_cast<quintptr>(winId()));
}

} // namespace brantlewick
