#include "widgets/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// The window's frame as the window manager has put it around the window; its bare geometry
// while that is not known (not on the screen yet, no window manager, or a frame caught in the
// middle of being made).
QRect knownFrame(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    return frame.contains(window->geometry()) ? frame : window->geometry();
}

bool frameKnown(const QWidget* window) {
    return knownFrame(window) != window->geometry();
}

// Watches a window's showing and centres it.
class TCentringWatch : public QObject {
public:
    TCentringWatch(QWidget* window, TCentring when)
        : QObject(window)
        , window_(window)
        , when_(when) {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous() &&
            (when_ == TCentring::EveryShow || !shown_)) {
            shown_ = true;
            centreOnScreen(window_);
            // A window shown for the first time gets its frame only on the screen: it is
            // centred again when it appears there.
            awaitingFrame_ = !frameKnown(window_);
            if (awaitingFrame_ && window_->windowHandle() && !watchingExposure_) {
                window_->windowHandle()->installEventFilter(this);
                watchingExposure_ = true;
            }
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            awaitingFrame_ = false;
        } else if (watched != window_ && event->type() == QEvent::Expose && awaitingFrame_) {
            awaitingFrame_ = false;
            if (frameKnown(window_)) {
                // After the exposure has been handled, not in the middle of it.
                QMetaObject::invokeMethod(
                    window_, [window = window_] { centreOnScreen(window); }, Qt::QueuedConnection);
            }
        }
        return false;
    }

private:
    QWidget* window_;
    TCentring when_;
    bool shown_ = false;
    bool awaitingFrame_ = false;
    bool watchingExposure_ = false;
};

} // namespace

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = knownFrame(window);
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void centreWhenShown(QWidget* window, TCentring when) {
    new TCentringWatch(window, when);
}
