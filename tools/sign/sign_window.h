#pragma once

#include "sign/stream_decoder.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>

#include <map>

// The face of the sign: one row of 5x7 LED characters per line address received, in address
// order, on a dark board; flashing characters blink twice a second; a line whose text runs
// past the width is cut there and marked beside the board.
class TSignBoard : public QWidget {
    Q_OBJECT
public:
    explicit TSignBoard(int width, QWidget* parent = nullptr);

    void showRecord(const TSignRecord& record);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void blink();

    int width_;
    std::map<std::string, TSignRecord> lines_;
    QTimer blinkTimer_;
    bool blinkOn_ = true;
};

// The virtual sign's window: the board and a status line that tells where the sign listens
// and what the last send brought.
class TSignWindow : public QMainWindow {
    Q_OBJECT
public:
    TSignWindow(int width, const QString& where, QWidget* parent = nullptr);

    void sendStarted(const QString& peer);
    void showRecord(const TSignRecord& record);
    void showError(const TStreamError& error);
    void sendEnded();

private:
    void updateStatus();

    TSignBoard* board_;
    QLabel* status_;
    QString where_;
    QString peer_;
    bool inSend_ = false;
    int records_ = 0;
    int errors_ = 0;
    QString lastError_;
};
