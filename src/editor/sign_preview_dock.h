#pragma once

#include <QDockWidget>

class QLabel;
class QScrollArea;
class TSignBoard;
struct TPreviewView;

// "Sign Preview": a panel beside the message list that shows the message as the sign will, in
// LEDs, and under it a line that says where it goes and what does not fit.
class TSignPreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // Smallest distance between two LEDs: a long message scrolls rather than shrink below it.
    static constexpr double kMinimumPitch = 2.5;

    explicit TSignPreviewDock(QWidget* parent = nullptr);

    // Shows `preview`, built for start line `start` and line width `width`.
    void ShowPreview(const TPreviewView& preview, int start, int width);

    TSignBoard* Board = nullptr;
    QScrollArea* BoardArea = nullptr;
    QLabel* Status = nullptr;
};
