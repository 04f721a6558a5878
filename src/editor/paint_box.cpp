#include "editor/paint_box.h"

#include <QPainter>

TPaintBox::TPaintBox(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TPaintBox::paintEvent(QPaintEvent*) {
    if (!onPaint_)
        return;
    QPainter painter(this);
    onPaint_(painter);
}
