#pragma once

#include "sign/sign_face.h"
#include "sign/stream_decoder.h"

#include <QLabel>
#include <QMainWindow>

class TSignBoard;

// The virtual sign's window: the board, one row per line address received, in address order,
// `width` characters wide; and a status line that tells where the sign listens and what the
// last send brought.
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

    int width_;
    TSignMemory memory_;
    TSignBoard* board_;
    QLabel* status_;
    QString where_;
    QString peer_;
    bool inSend_ = false;
    int records_ = 0;
    int errors_ = 0;
    QString lastError_;
};
