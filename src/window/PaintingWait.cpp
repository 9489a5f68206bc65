// SPDX-License-Identifier: GPL-3.0-or-later
// The wait: a nested event loop without user input, left when the work's thread says it is done.
#include "PaintingWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

#include <exception>
#include <system_error>
#include <thread>

namespace brantlewick {
namespace {

constexpr int kFrameMilliseconds = 40;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Drops user input on its way to any object while it lives.
class InputBlock final : public QObject {
    Q_OBJECT

public:
    InputBlock() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputBlock() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(event->type()); }
};

} // namespace

void RunWhilePainting(const std::function<void()>& work, const std::function<void()>& tick) {
    QEventLoop loop;
    std::exception_ptr failure;
    const InputBlock block;
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, &loop, [&tick] { tick(); });
    frames.start(kFrameMilliseconds);
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            // Posted, so taken by the loop below even when it has not begun yet.
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        work(); // no thread to be had: the windows wait, as they would have anyway
        return;
    }
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace brantlewick

#include "PaintingWait.moc"
