#pragma once

#include <QDockWidget>

class QCheckBox;
class QLabel;
class QScrollArea;
class TSignBoard;
struct TPreviewView;

// "Sign Preview": a panel beside the message list that shows the message as the sign will, in
// LEDs, and under it a line that says where it goes and what does not fit, and whether the live
// fields show as written or with their values.
class TSignPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // Smallest distance between two LEDs: a long message scrolls rather than shrink below it.
    static constexpr double kMinimumPitch = 2.5;

    explicit TSignPreviewDock(QWidget* parent = nullptr);

    // Shows `preview`, built for start line `start` and line width `width`; `note` follows the
    // status line's own text.
    void ShowPreview(const TPreviewView& preview, int start, int width, const QString& note = {});

    TSignBoard* Board = nullptr;
    QScrollArea* BoardArea = nullptr;
    QLabel* Status = nullptr;
    // "Show Field Values": the live fields of the message with their values now.
    QCheckBox* ShowFieldValues = nullptr;

protected:
    // The colour of the dot under the mouse, named in the status line.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowStatus();

    QString statusText_;
    QString hovered_;
};
