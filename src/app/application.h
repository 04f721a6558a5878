#pragma once

#include <QApplication>

#include <exception>

// The application object. Every error that a command (widgets/run_command.h) or, as a last
// resort, any other event handler ends with goes to the program's error report
// (widgets/error_report.h), and the program goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Makes SIGTERM, SIGINT and SIGHUP (a session that ends, Ctrl+C in a terminal) close
    // `window` the way its close control does: with the save question when the list has
    // changed, and with the normal end of the run (remembered values stored) otherwise.
    void CloseOnTerminationSignals(QWidget* window);
};
