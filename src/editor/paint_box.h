#pragma once

#include <QWidget>

#include <functional>

// A drawing box: a plain area whose owner draws it in its paint handler.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using PaintHandler = std::function<void(QPainter& painter)>;

    explicit TPaintBox(QWidget* parent = nullptr);

    void SetOnPaint(PaintHandler handler) { onPaint_ = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaintHandler onPaint_;
};
