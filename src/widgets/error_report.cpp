#include "widgets/error_report.h"

#include "base/state_dir.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString messageOf(const std::exception& error) {
    return QString::fromLocal8Bit(error.what());
}

} // namespace

QString programTitle() {
    return QCoreApplication::translate("TApplication", "Lumavane Static Message Editor");
}

void reportError(const QString& message, QWidget* parent, TReportLook look) {
    logError(message);
    const QMessageBox::Icon icon = look == TReportLook::Error     ? QMessageBox::Critical
                                   : look == TReportLook::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::NoIcon;
    QMessageBox box(icon, programTitle(), message, QMessageBox::Ok, parent);
    box.exec();
}

void reportError(const std::exception& error, QWidget* parent, TReportLook look) {
    reportError(messageOf(error), parent, look);
}

void logError(const QString& message) {
    // The log is a convenience: failing to write it must not hide the error itself.
    const QString logPath = errorLogPath();
    QDir().mkpath(QFileInfo(logPath).path());
    QFile log(logPath);
    if (log.open(QIODevice::Append | QIODevice::Text)) {
        QString line = QDateTime::currentDateTime().toString(Qt::ISODate) + "  " + message;
        line.replace('\r', ' ').replace('\n', ' ');
        log.write(line.toUtf8() + "\n");
    }
}

void logError(const std::exception& error) {
    logError(messageOf(error));
}

QString errorLogPath() {
    return QFile::decodeName(programStateDirectory().c_str()) + "/errors.log";
}
