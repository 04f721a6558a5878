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

// `ink` as a dimmed row shows it on `background`: mixed into it, not drawn with the painter's
// opacity, which costs the list ten times as much to draw.
QColor dimmed(const QColor& ink, const QColor& background) {
    const auto mix = [](int front, int back) { return back + qRound(kDimmed * (front - back)); };
    return QColor(mix(ink.red(), background.red()), mix(ink.green(), background.green()),
                  mix(ink.blue(), background.blue()));
}

// A triangle pointing past the row's right edge, on the row's background.
void drawOverflowMark(QPainter& painter, const QRect& rect, const QColor& background) {
    const QRect mark(rect.right() + 1 - kOverflowMarkWidth, rect.top(), kOverflowMarkWidth,
                     rect.height());
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

void drawMessageRow(QPainter& painter, std::string_view line, int index, const QRect& rect,
                    const QColor& background, const TBlockFit* fit) {
    if (line.empty())
        return;
    painter.fillRect(rect, background);
    const bool dim = fit && !fit->shown();
    const auto ink = [&](const QColor& colour) {
        return dim ? dimmed(colour, background) : colour;
    };
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(background);

    static const TMarkupPainter markup(messageRowFont(), TColourScheme::ListOnBlack);
    const QFontMetrics& steadyMetrics = markup.metrics(TFlash::Steady);

    painter.setFont(markup.font(TFlash::Steady));
    painter.setPen(ink(Qt::white));
    int x = rect.left() + kLeftOffset;
    const int top = rect.top();
    const int baseline = top + steadyMetrics.ascent();

    const TLineSplit split = splitBlockLine(line);
    if (!split.hasHead()) {
        painter.drawText(x, baseline, toQString(std::string(line.substr(0, kMaxDrawnCharacters))));
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

    // The characters a run at a time, each run of one colour and flash state; the rest is cut
    // off at the row's right edge.
    const QString characters = toQString(plain);
    const bool letters = colourLettersShown();
    qsizetype k = 0;
    while (k < characters.size() && x <= rect.right()) {
        const auto i = static_cast<std::size_t>(k);
        if (letters)
            x += drawColourLetter(painter, markup.font(TFlash::Steady), colours[i], flash[i],
                                  QPoint(x, top), ink(kListLetterInk));
        const QFontMetrics& metrics = markup.metrics(flash[i]);
        qsizetype end = k;
        int width = 0;
        do {
            width += metrics.horizontalAdvance(characters[end]);
            ++end;
        } while (end < characters.size() && colours[static_cast<std::size_t>(end)] == colours[i] &&
                 flash[static_cast<std::size_t>(end)] == flash[i] && x + width <= rect.right());
        markup.drawRun(painter, characters.mid(k, end - k), ink(markup.ink(colours[i])), flash[i],
                       QPoint(x, top));
        x += width;
        k = end;
    }
    if (fit && fit->cut > 0)
        drawOverflowMark(painter, rect, background);
    if (fit && fit->control)
        drawControlMark(painter, rect, background, fit->cut > 0);
}
