#include "editor/markup_painter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

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
    , flashMetrics_(metricsFor(flashFont_, device))
    , steadyRunFont_(steadyFont_)
    , flashRunFont_(flashFont_) {
    // Every character of a fixed-pitch face advances by the same fraction of a pixel, which
    // drawChar rounds to whole pixels; the run fonts are spaced to advance by that whole cell,
    // so that a run drawn at once puts each character where drawChar would.
    if (!QFontInfo(steadyFont_).fixedPitch())
        return;
    cell_ = steadyMetrics_.horizontalAdvance(QLatin1Char('W'));
    const QFontMetricsF exactMetrics =
        device ? QFontMetricsF(steadyFont_, device) : QFontMetricsF(steadyFont_);
    const qreal exact = exactMetrics.horizontalAdvance(QLatin1Char('W'));
    steadyRunFont_.setLetterSpacing(QFont::AbsoluteSpacing, cell_ - exact);
    flashRunFont_.setLetterSpacing(QFont::AbsoluteSpacing, cell_ - exact);
    if (flashMetrics_.horizontalAdvance(QLatin1Char('W')) != cell_)
        cell_ = 0;
}

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

QColor TMarkupPainter::ink(TSignColour colour) const {
    return screenColour(colour, scheme_);
}

int TMarkupPainter::drawRun(QPainter& painter, const QString& text, const QColor& ink, TFlash flash,
                            const QPoint& topLeft) const {
    const QFontMetrics& m = metrics(flash);
    painter.setPen(ink);
    const int baseline = topLeft.y() + m.ascent();
    const bool whole = cell_ > 0 && std::all_of(text.begin(), text.end(), [&](QChar ch) {
                           return m.inFont(ch) && m.horizontalAdvance(ch) == cell_;
                       });
    if (whole) {
        painter.setFont(flash != TFlash::Steady ? flashRunFont_ : steadyRunFont_);
        painter.drawText(topLeft.x(), baseline, text);
        return cell_ * static_cast<int>(text.size());
    }
    // A character from another face, or a face whose characters differ in width: one at a time.
    painter.setFont(font(flash));
    int x = topLeft.x();
    for (QChar ch : text) {
        painter.drawText(x, baseline, QString(ch));
        x += m.horizontalAdvance(ch);
    }
    return x - topLeft.x();
}
