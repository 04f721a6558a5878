#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <cstddef>

class QLabel;
class QProgressBar;
class QPushButton;

// "Sending Data": shown, not modal, while a message goes to the sign, with the count of bytes
// that the link has taken so far and a Cancel button.
class TSendData1 : public QWidget {
    Q_OBJECT
public:
    explicit TSendData1(QWidget* parent = nullptr);
    ~TSendData1() override;

    // Shows `sent` of `total` bytes.
    void SetProgress(std::size_t sent, std::size_t total);
    // The count of a running send. The bar redraws itself at once whenever its value changes, so
    // the first and the last counts are shown as they come and those between at most every 50
    // milliseconds; ShowLatestProgress shows one held back.
    void SendProgress(std::size_t sent, std::size_t total);
    void ShowLatestProgress();

    // Shows the window for a send and gives it the keyboard. Until EndSend the user's input to
    // every other window of the program is thrown away; the windows that the send itself opens
    // over this one (its children and modal dialogs) still take it.
    void BeginSend();
    // Hides the window and lets the input through again.
    void EndSend();
    // True between BeginSend and EndSend.
    bool InSend() const { return inSend_; }

    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QPushButton* CancelBtn;

signals:
    // The user asked to stop the send: the Cancel button, Escape, or the desktop's close request.
    // Asked once per send.
    void CancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The window has no close box; a close asked for by the desktop cancels the send, and the
    // window stays until the send has ended.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void requestCancel();
    // Whether the user's input may reach `window` while the send runs.
    bool takesInput(const QWidget* window) const;

    bool inSend_ = false;
    bool activationPending_ = false;
    std::size_t latestSent_ = 0;
    std::size_t latestTotal_ = 0;
    bool progressHeld_ = false;
    QElapsedTimer progressShown_;
};
