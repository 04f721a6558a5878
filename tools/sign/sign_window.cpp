#include "sign_window.h"

#include "signview/sign_board.h"

#include <QStatusBar>

#include <algorithm>

TSignWindow::TSignWindow(int width, const QString& where, QWidget* parent)
    : QMainWindow(parent)
    , width_(std::max(1, width))
    , board_(new TSignBoard(this))
    , status_(new QLabel(this))
    , where_(where) {
    setWindowTitle(QStringLiteral("Lumavane sign - %1").arg(where));
    board_->setFace(memory_.face(0, width_));
    setCentralWidget(board_);
    statusBar()->addWidget(status_, 1);
    updateStatus();
}

void TSignWindow::sendStarted(const QString& peer) {
    peer_ = peer;
    inSend_ = true;
    records_ = 0;
    errors_ = 0;
    lastError_.clear();
    updateStatus();
}

void TSignWindow::showRecord(const TSignRecord& record) {
    memory_.take(record);
    board_->setFace(memory_.face(0, width_));
    ++records_;
    updateStatus();
}

void TSignWindow::showError(const TStreamError& error) {
    ++errors_;
    lastError_ = QStringLiteral("%1 at byte %2")
                     .arg(QString::fromStdString(error.describe()))
                     .arg(error.offset);
    updateStatus();
}

void TSignWindow::sendEnded() {
    inSend_ = false;
    updateStatus();
}

void TSignWindow::updateStatus() {
    QString text = QStringLiteral("Waiting on %1").arg(where_);
    if (!peer_.isEmpty()) {
        text +=
            QStringLiteral("  |  %1 %2: %3 record(s)")
                .arg(inSend_ ? QStringLiteral("receiving from") : QStringLiteral("last send from"))
                .arg(peer_)
                .arg(records_);
        if (errors_ > 0)
            text += QStringLiteral(", %1 malformed (last: %2)").arg(errors_).arg(lastError_);
    }
    status_->setText(text);
}
