#include "app/application.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMessageBox>

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    // The window titles carry their own text; the program's name goes to the desktop through
    // the application name and its desktop entry.
    setApplicationName("lumavane");
    setApplicationVersion("1.0");
    setDesktopFileName("lumavane");
}

QString TApplication::Title() {
    return QStringLiteral("Lumavane Static Message Editor");
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
    return false;
}

QString TApplication::ErrorLogPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + "/.local/state";
    return state + "/lumavane/errors.log";
}

void TApplication::ReportException(const std::exception& error) {
    const QString message = QString::fromLocal8Bit(error.what());

    // The log is a convenience: failing to write it must not hide the error itself.
    const QString logPath = ErrorLogPath();
    QDir().mkpath(QFileInfo(logPath).path());
    QFile log(logPath);
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        QString line = QDateTime::currentDateTime().toString(Qt::ISODate) + "  " + message;
        line.replace('\r', ' ').replace('\n', ' ');
        log.write(line.toUtf8() + "\n");
    }

    QMessageBox box(QMessageBox::Critical, Title(), message, QMessageBox::Ok);
    box.exec();
}
