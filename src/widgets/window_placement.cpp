#include "widgets/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// The widths of the frame that the window manager has put around the window, as the window
// system tells them now; none while that is not known (not on the screen yet, no window
// manager). Asked of the window system itself: the widget's own copy is brought up to date only
// when the window moves, and can still say "no frame" when the frame has come.
QMargins frameMargins(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    const bool sane =
        margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
    return sane ? margins : QMargins();
}

bool frameKnown(const QWidget* window) {
    return !frameMargins(window).isNull();
}

// Watches a window's showing and centres it.
class TCentringWatch : public QObject {
public:
    TCentringWatch(QWidget* window, TCentring when)
        : QObject(window)
        , window_(window)
        , when_(when) {
        window->installEventFilter(this);
        framePoll_.setInterval(20);
        connect(&framePoll_, &QTimer::timeout, this, [this] {
            if (++polls_ >= kFramePolls)
                framePoll_.stop();
            centreOnceFramed();
        });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous() &&
            (when_ == TCentring::EveryShow || !shown_)) {
            shown_ = true;
            centreOnScreen(window_);
            // A window shown for the first time gets its frame only on the screen: it is
            // centred again when it appears there.
            awaitingFrame_ = !frameKnown(window_);
            polls_ = 0;
            if (awaitingFrame_ && window_->windowHandle() && !watchingExposure_) {
                window_->windowHandle()->installEventFilter(this);
                watchingExposure_ = true;
            }
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            awaitingFrame_ = false;
            framePoll_.stop();
        } else if (awaitingFrame_ && frameArrivalEvent(watched, event)) {
            // After the event has been handled, not in the middle of it.
            QMetaObject::invokeMethod(this, &TCentringWatch::centreOnceFramed,
                                      Qt::QueuedConnection);
        }
        return false;
    }

    // Centres the window once its frame is known. The window manager may tell the frame
    // before the first exposure, with a later move, or a little later still: until then the
    // window is looked at again every few milliseconds, for a second at most.
    void centreOnceFramed() {
        if (!awaitingFrame_)
            return;
        if (frameKnown(window_)) {
            awaitingFrame_ = false;
            framePoll_.stop();
            centreOnScreen(window_);
        } else if (!framePoll_.isActive() && polls_ < kFramePolls) {
            framePoll_.start();
        }
    }

private:
    // An event after which the frame may have become known: the window's first exposure, or
    // the window moved into its frame.
    bool frameArrivalEvent(QObject* watched, QEvent* event) const {
        return (watched != window_ && event->type() == QEvent::Expose) ||
               (watched == window_ && event->type() == QEvent::Move);
    }

    static constexpr int kFramePolls = 50;

    QWidget* window_;
    TCentring when_;
    QTimer framePoll_;
    int polls_ = 0;
    bool shown_ = false;
    bool awaitingFrame_ = false;
    bool watchingExposure_ = false;
};

} // namespace

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins margins = frameMargins(window);
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(screen->availableGeometry().center());
    // Placed by the window's own rectangle, which needs no knowledge of the frame.
    window->setGeometry(frame.marginsRemoved(margins));
}

void centreWhenShown(QWidget* window, TCentring when) {
    new TCentringWatch(window, when);
}
