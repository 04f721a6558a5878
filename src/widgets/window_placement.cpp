#include "widgets/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdlib>

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

// Whether the window stands centred, frame included, on the free area of its screen.
bool centred(const QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return true;
    const QRect frame = window->geometry().marginsAdded(frameMargins(window));
    const QPoint off = frame.center() - screen->availableGeometry().center();
    return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
}

// Watches a window's showing and centres it.
class TCentringWatch : public QObject {
public:
    TCentringWatch(QWidget* window, TCentring when)
        : QObject(window)
        , window_(window)
        , when_(when) {
        window->installEventFilter(this);
        look_.setInterval(20);
        connect(&look_, &QTimer::timeout, this, [this] {
            if (++looks_ >= kLooks)
                stop();
            settle(true);
        });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous() &&
            (when_ == TCentring::EveryShow || !shown_)) {
            shown_ = true;
            centreOnScreen(window_);
            // The window manager puts the frame around a window as it goes on the screen, and
            // places it then: the window is looked at again until it stands centred in it.
            settling_ = true;
            looks_ = 0;
            corrections_ = 0;
            steadyLooks_ = 0;
            if (window_->windowHandle() && !watchingExposure_) {
                window_->windowHandle()->installEventFilter(this);
                watchingExposure_ = true;
            }
            look_.start();
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            stop();
        } else if (settling_ && frameArrivalEvent(watched, event)) {
            // After the event has been handled, not in the middle of it.
            QMetaObject::invokeMethod(
                this, [this] { settle(false); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    // Centres the window again once its frame is known, should it not stand centred in it: the
    // frame may come before the first exposure, with a later move, or a little later still, and
    // the window manager may still move the window while it places it. Looked at every 20 ms for
    // a second at most, until it has stood centred for a few looks; corrected a few times at most,
    // so that a window manager that insists on a place of its own has it.
    void settle(bool timedLook) {
        if (!settling_ || !frameKnown(window_))
            return;
        if (centred(window_)) {
            if (timedLook && ++steadyLooks_ >= kSteadyLooks)
                stop();
        } else if (corrections_ < kCorrections) {
            ++corrections_;
            steadyLooks_ = 0;
            centreOnScreen(window_);
        } else {
            stop();
        }
    }

    void stop() {
        settling_ = false;
        look_.stop();
    }

    // An event after which the frame may have become known: the window's first exposure, or
    // the window moved into its frame.
    bool frameArrivalEvent(QObject* watched, QEvent* event) const {
        return (watched != window_ && event->type() == QEvent::Expose) ||
               (watched == window_ && event->type() == QEvent::Move);
    }

    static constexpr int kLooks = 50;
    static constexpr int kSteadyLooks = 3;
    static constexpr int kCorrections = 3;

    QWidget* window_;
    TCentring when_;
    QTimer look_;
    int looks_ = 0;
    int corrections_ = 0;
    int steadyLooks_ = 0;
    bool shown_ = false;
    bool settling_ = false;
    bool watchingExposure_ = false;
};

} // namespace

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins margins = frameMargins(window);
    // Never larger than the free area, frame included, as far as the window's smallest size
    // allows: a window taller than the screen would have its title bar off it.
    const QSize room = screen->availableGeometry().marginsRemoved(margins).size();
    const QSize size = window->size();
    if (size.width() > room.width() || size.height() > room.height())
        window->resize(size.boundedTo(room).expandedTo(window->minimumSize()));
    QRect frame = window->geometry().marginsAdded(margins);
    frame.moveCenter(screen->availableGeometry().center());
    // Placed by the window's own rectangle, which needs no knowledge of the frame.
    window->setGeometry(frame.marginsRemoved(margins));
}

void centreWhenShown(QWidget* window, TCentring when) {
    new TCentringWatch(window, when);
}
