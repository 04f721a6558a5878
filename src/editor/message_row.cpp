#include "editor/message_row.h"

#include "model/block.h"
#include "model/ui/text_codec.h"

#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int kLeftOffset = 2;

// Most characters of a line without a comma that can show in a row of any sensible width.
constexpr std::size_t kMaxDrawnCharacters = 1024;

QFont underlined(QFont font) {
    font.setUnderline(true);
    return font;
}

} // namespace

QColor signListColour(unsigned char colour) {
    switch (colour) {
    case 1:
        return QColor(0, 128, 0);
    case 2:
        return QColor(255, 255, 0);
    default:
        return QColor(255, 0, 0);
    }
}

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

    static const QFont steadyFont = messageRowFont();
    static const QFont flashFont = underlined(messageRowFont());
    static const QFontMetrics steadyMetrics(steadyFont);
    static const QFontMetrics flashMetrics(flashFont);

    painter.setFont(steadyFont);
    painter.setPen(Qt::white);
    int x = rect.left() + kLeftOffset;
    const int top = rect.top();
    const int baseline = top + steadyMetrics.ascent();

    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
        painter.drawText(x, baseline, toQString(line.substr(0, kMaxDrawnCharacters)));
        return;
    }

    TMarkupArray colours;
    TMarkupArray flash;
    std::string plain;
    ExpandMarkup(line.substr(comma + 1, kMaxBlockText), plain, colours, flash);

    const QString prefix = QString("Line %1-").arg(index + 1);
    painter.drawText(x, baseline, prefix);
    x += steadyMetrics.horizontalAdvance(prefix);
    const QString head = toQString(line.substr(0, comma + 1));
    painter.drawText(x, baseline, head);
    x += steadyMetrics.horizontalAdvance(head);

    const QString characters = toQString(plain);
    for (qsizetype k = 0; k < characters.size(); ++k) {
        if (x > rect.right())
            break; // the rest is cut off at the row's right edge
        const bool flashing = flash[static_cast<std::size_t>(k)] != 0;
        painter.setFont(flashing ? flashFont : steadyFont);
        painter.setPen(signListColour(colours[static_cast<std::size_t>(k)]));
        const QString ch(characters[k]);
        painter.drawText(x, baseline, ch);
        x += (flashing ? flashMetrics : steadyMetrics).horizontalAdvance(ch);
    }
}
