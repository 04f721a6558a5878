#include "editor/message_row.h"

#include "editor/colour_letters.h"
#include "editor/markup_painter.h"
#include "model/block.h"
#include "model/ui/screen_colour.h"
#include "model/ui/text_codec.h"
#include "sign/sign_preview.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kLeftOffset = 2;

// Most characters of a line without a comma that can show in a row of any sensible width.
constexpr std::size_t kMaxDrawnCharacters = 1024;

// The colour letters on the list's black.
const QColor kListLetterInk(225, 225, 225);

// How much of its colour a line that the sign does not show keeps.
constexpr qreal kDimmed = 0.4;

// A triangle pointing past the row's right edge, on the row's background.
void drawOverflowMark(QPainter& painter, const QRect& rect, const QColor& background) {
    const QRect mark(rect.right() + 1 - kOverflowMarkWidth, rect.top(), kOverflowMarkWidth,
                     rect.height());
    painter.setOpacity(1);
    painter.fillRect(mark, background);
    const int mid = mark.center().y();
    const QPoint arrow[] = {
        {mark.left() + 3, mid - 6}, {mark.right() - 1, mid}, {mark.left() + 3, mid + 6}};
    painter.setPen(Qt::NoPen);
    painter.setBrush(overflowMarkColour());
    painter.drawPolygon(arrow, 3);
}

// A "!" in a box at the row's right edge, left of the overflow mark when the row has one.
void drawControlMark(QPainter& painter, const QRect& rect, const QColor& background,
                     bool overflow) {
    const int right = rect.right() + 1 - (overflow ? kOverflowMarkWidth : 0);
    const QRect mark(right - kControlMarkWidth, rect.top(), kControlMarkWidth, rect.height());
    painter.setOpacity(1);
    painter.fillRect(mark, background);
    const QRect box = mark.adjusted(1, 2, -2, -2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(controlMarkColour());
    painter.drawRect(box);
    const int x = box.center().x();
    painter.fillRect(QRect(x - 1, box.top() + 3, 3, box.height() - 10), background);
    painter.fillRect(QRect(x - 1, box.bottom() - 4, 3, 3), background);
}

} // namespace

QFont messageRowFont() {
    QFont font;
    font.setFamilies({"Courier New", "Liberation Mono", "Cousine", "DejaVu Sans Mono"});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(22);
    font.setBold(true);
    return font;
}

void drawMessageRow(QPainter& painter, const std::string& line, int index, const QRect& rect,
                    const QColor& background, const TBlockFit* fit) {
    if (line.empty())
        return;
    painter.fillRect(rect, background);
    if (fit && !fit->shown())
        painter.setOpacity(kDimmed);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);

    static const TMarkupPainter markup(messageRowFont(), TColourScheme::ListOnBlack);
    const QFontMetrics& steadyMetrics = markup.metrics(TFlash::Steady);

    painter.setFont(markup.font(TFlash::Steady));
    painter.setPen(Qt::white);
    int x = rect.left() + kLeftOffset;
    const int top = rect.top();
    const int baseline = top + steadyMetrics.ascent();

    const TLineSplit split = splitBlockLine(line);
    if (!split.hasHead()) {
        painter.drawText(x, baseline, toQString(line.substr(0, kMaxDrawnCharacters)));
        return;
    }

    TColourArray colours;
    TFlashArray flash;
    std::string plain;
    ExpandMarkup(std::string(split.text.substr(0, kMaxBlockText)), plain, colours, flash);

    const QString prefix = QCoreApplication::translate("TMessageRow", "Line %1-").arg(index + 1);
    painter.drawText(x, baseline, prefix);
    x += steadyMetrics.horizontalAdvance(prefix);
    const QString head = toQString(std::string(split.head));
    painter.drawText(x, baseline, head);
    x += steadyMetrics.horizontalAdvance(head);

    const QString characters = toQString(plain);
    const bool letters = colourLettersShown();
    for (qsizetype k = 0; k < characters.size(); ++k) {
        if (x > rect.right())
            break; // the rest is cut off at the row's right edge
        const auto i = static_cast<std::size_t>(k);
        if (letters && (i == 0 || colours[i] != colours[i - 1] || flash[i] != flash[i - 1]))
            x += drawColourLetter(painter, markup.font(TFlash::Steady), colours[i], flash[i],
                                  QPoint(x, top), kListLetterInk);
        x += markup.drawChar(painter, characters[k], colours[i], flash[i], QPoint(x, top));
    }
    if (fit && fit->cut > 0)
        drawOverflowMark(painter, rect, background);
    if (fit && fit->control)
        drawControlMark(painter, rect, background, fit->cut > 0);
}
