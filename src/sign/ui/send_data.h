#pragma once

#include <QWidget>

#include <cstddef>

class QLabel;
class QProgressBar;

// "Sending Data": shown, not modal, while a message goes to the sign, with the count of bytes
// that the link has taken so far.
class TSendData1 : public QWidget {
    Q_OBJECT
public:
    explicit TSendData1(QWidget* parent = nullptr);

    // Shows `sent` of `total` bytes.
    void SetProgress(std::size_t sent, std::size_t total);

    QLabel* Label1;
    QProgressBar* ProgressBar1;

protected:
    void showEvent(QShowEvent* event) override;
    // The window has no close box; a close asked for by the desktop is refused, the send goes on.
    void closeEvent(QCloseEvent* event) override;
};
