#include "editor/markup_painter.h"

#include <QPainter>

namespace {

QFont underlined(QFont font) {
    font.setUnderline(true);
    return font;
}

QFontMetrics metricsFor(const QFont& font, const QPaintDevice* device) {
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

} // namespace

TMarkupPainter::TMarkupPainter(const QFont& font, TColourScheme scheme, const QPaintDevice* device)
    : scheme_(scheme)
    , steadyFont_(font)
    , flashFont_(underlined(font))
    , steadyMetrics_(metricsFor(steadyFont_, device))
    , flashMetrics_(metricsFor(flashFont_, device)) {}

const QFont& TMarkupPainter::font(TFlash flash) const {
    return flash != TFlash::Steady ? flashFont_ : steadyFont_;
}

const QFontMetrics& TMarkupPainter::metrics(TFlash flash) const {
    return flash != TFlash::Steady ? flashMetrics_ : steadyMetrics_;
}

int TMarkupPainter::drawChar(QPainter& painter, QChar ch, TSignColour colour, TFlash flash,
                             const QPoint& topLeft) const {
    const QFontMetrics& m = metrics(flash);
    const QString text(ch);
    painter.setFont(font(flash));
    painter.setPen(screenColour(colour, scheme_));
    painter.drawText(topLeft.x(), topLeft.y() + m.ascent(), text);
    return m.horizontalAdvance(text);
}
