#include "app/application.h"

#include "widgets/error_report.h"
#include "widgets/run_command.h"

#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

// A modal dialog has just been hidden: its owner window is where the user goes on, so ask the
// window manager to activate it. Left to itself, a window manager may hand the keyboard to
// nothing when a question and the dialog that asked it close one right after the other (the
// file dialogs' create and replace questions), and keys then do nothing until the user clicks.
void activateOwnerOfClosedDialog(QObject* receiver) {
    auto* dialog = qobject_cast<QDialog*>(receiver);
    if (!dialog || !dialog->isWindow() || !dialog->isModal())
        return;
    QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (owner && owner->isVisible() && !owner->isActiveWindow())
        owner->activateWindow();
}

} // namespace

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The window titles carry their own text; the program's name goes to the desktop through
    // the application name and its desktop entry.
    setApplicationName("lumavane");
    setApplicationVersion("1.0");
    setDesktopFileName("lumavane");
    setCommandErrorReport([](const std::exception& error) { reportError(error); });
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Commands report their own errors; this is the last resort for an error that any other
    // handler lets through, reported the same way.
    bool done = false;
    runCommand([&] {
        done = QApplication::notify(receiver, event);
        if (event->type() == QEvent::Hide)
            activateOwnerOfClosedDialog(receiver);
    });
    return done;
}

void TApplication::CloseOnTerminationSignals(QWidget* window) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    QPointer<QWidget> target(window);
    connect(notifier, &QSocketNotifier::activated, this, [target] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (target)
            target->close();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
