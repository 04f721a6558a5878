#pragma once

#include <QApplication>

#include <exception>

// The application object. It holds the program's error report: every error that a command
// (widgets/run_command.h) or, as a last resort, any other event handler ends with is shown in a
// box captioned with the application's title and appended to the error log, and the program
// goes on with the next event.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // "Lumavane Static Message Editor": the name under which the running program is shown.
    static QString Title();

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the error to the user and logs it.
    static void ReportException(const std::exception& error);
    // Only logs it: for an error met when no window is left to show it in.
    static void LogException(const std::exception& error);

    // Appends a timestamped line with `message` (its line breaks turned into spaces) to the
    // error log. Every error, cancel and time-out that the user is told about goes through it.
    static void LogError(const QString& message);

    // errors.log in the program's state directory (base/state_dir.h).
    static QString ErrorLogPath();

    // Makes SIGTERM, SIGINT and SIGHUP (a session that ends, Ctrl+C in a terminal) close
    // `window` the way its close control does: with the save question when the list has
    // changed, and with the normal end of the run (remembered values stored) otherwise.
    void CloseOnTerminationSignals(QWidget* window);
};
