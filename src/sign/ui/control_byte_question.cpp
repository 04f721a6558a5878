#include "sign/ui/control_byte_question.h"

#include "sign/control_bytes.h"
#include "widgets/error_report.h"

#include <QCoreApplication>
#include <QMessageBox>

QString controlBytesQuestion(const std::vector<std::string>& lines) {
    const std::vector<std::string> warnings = controlByteWarnings(lines);
    if (warnings.empty())
        return {};
    QString text = QString::fromStdString(warnings.front());
    if (const std::size_t more = warnings.size() - 1)
        text += more == 1 ? QCoreApplication::translate("TControlBytesQuestion",
                                                        " 1 more block holds one too.")
                          : QCoreApplication::translate("TControlBytesQuestion",
                                                        " %1 more blocks hold one too.")
                                .arg(more);
    return text + QCoreApplication::translate("TControlBytesQuestion", " Send anyway?");
}

bool askToSendControlBytes(QWidget* parent, const std::vector<std::string>& lines) {
    const QString question = controlBytesQuestion(lines);
    if (question.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, programTitle(), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("ControlBytesBox"));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
