#include "editor/message_row.h"

#include "editor/markup_painter.h"
#include "model/block.h"
#include "model/ui/text_codec.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kLeftOffset = 2;

// Most characters of a line without a comma that can show in a row of any sensible width.
constexpr std::size_t kMaxDrawnCharacters = 1024;

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
                    const QColor& background) {
    if (line.empty())
        return;
    painter.fillRect(rect, background);
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

    const QString prefix = QString("Line %1-").arg(index + 1);
    painter.drawText(x, baseline, prefix);
    x += steadyMetrics.horizontalAdvance(prefix);
    const QString head = toQString(std::string(split.head));
    painter.drawText(x, baseline, head);
    x += steadyMetrics.horizontalAdvance(head);

    const QString characters = toQString(plain);
    for (qsizetype k = 0; k < characters.size(); ++k) {
        if (x > rect.right())
            break; // the rest is cut off at the row's right edge
        const auto i = static_cast<std::size_t>(k);
        x += markup.drawChar(painter, characters[k], colours[i], flash[i], QPoint(x, top));
    }
}
