#include "editor/colour_letters.h"

#include "model/colour_runs.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

bool lettersShown = false;

// Room between a mark and the character after it, in pixels of the mark's font.
int gap(const QFontMetrics& metrics) {
    return std::max(1, metrics.height() / 8);
}

QFontMetrics metricsFor(const QFont& font, const QPaintDevice* device) {
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

} // namespace

bool colourLettersShown() {
    return lettersShown;
}

void setColourLettersShown(bool shown) {
    lettersShown = shown;
}

QFont colourLetterFont(QFont font) {
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(7, font.pixelSize() * 11 / 20));
    else
        font.setPointSizeF(std::max(4.0, font.pointSizeF() * 0.55));
    font.setBold(true);
    font.setUnderline(false);
    return font;
}

int colourLetterAdvance(const QFont& font, TSignColour colour, TFlash flash,
                        const QPaintDevice* device) {
    const QFontMetrics metrics = metricsFor(colourLetterFont(font), device);
    return metrics.horizontalAdvance(QString::fromLatin1(colourRunMark(colour, flash).c_str())) +
           gap(metrics);
}

int drawColourLetter(QPainter& painter, const QFont& font, TSignColour colour, TFlash flash,
                     const QPoint& topLeft, const QColor& ink) {
    const QFont small = colourLetterFont(font);
    const QFontMetrics metrics(small, painter.device());
    const QString mark = QString::fromLatin1(colourRunMark(colour, flash).c_str());
    painter.save();
    painter.setFont(small);
    painter.setPen(ink);
    painter.drawText(topLeft.x(), topLeft.y() + metrics.ascent(), mark);
    painter.restore();
    return metrics.horizontalAdvance(mark) + gap(metrics);
}
