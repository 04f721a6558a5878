#include "sign/ui/send_data.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <climits>

TSendData1::TSendData1(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("SendData1"));
    setWindowTitle(tr("Sending Data"));
    setFixedSize(244, 88);

    Label1 = new QLabel(tr("Now Sending Data..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setGeometry(16, 12, 212, 24);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 46, 212, 24);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    SetProgress(0, 0);
}

void TSendData1::SetProgress(std::size_t sent, std::size_t total) {
    const int shownTotal = static_cast<int>(std::min<std::size_t>(total, INT_MAX));
    const int shownSent = static_cast<int>(std::min<std::size_t>(sent, total));
    ProgressBar1->setRange(0, std::max(shownTotal, 1));
    ProgressBar1->setValue(shownSent);
    ProgressBar1->setFormat(tr("%1 of %2 bytes").arg(sent).arg(total));
}

void TSendData1::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

void TSendData1::closeEvent(QCloseEvent* event) {
    event->ignore();
}
