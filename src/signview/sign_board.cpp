#include "signview/sign_board.h"

#include "model/ui/screen_colour.h"
#include "model/ui/text_codec.h"
#include "signview/sign_board_accessible.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLabelDots = 4;   // room for the line address, in dot pitches
constexpr int kMarkerDots = 8;  // room for the overflow mark and its count
constexpr int kLineGapDots = 3; // dark rows between two sign lines
constexpr int kMarginDots = 2;
constexpr int kCellDots = kGlyphColumns + 1;
constexpr int kLineDots = kGlyphRows + kLineGapDots;
constexpr int kColours = 3;

const QColor kBoard(12, 12, 12);
const QColor kFrame(40, 40, 40);
const QColor kDark(38, 30, 28);
const QColor kLabel(110, 110, 110);

// What a character cell holds at this moment: the character shown, or nothing (a dark cell).
const TSignChar* cellAt(const TSignRecord& record, int column) {
    if (column < static_cast<int>(record.leadingPad))
        return nullptr;
    const std::size_t index = static_cast<std::size_t>(column) - record.leadingPad;
    return index < record.chars.size() ? &record.chars[index] : nullptr;
}

} // namespace

TSignBoard::TSignBoard(QWidget* parent)
    : QWidget(parent) {
    installSignBoardAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    blinkTimer_.setInterval(250);
    connect(&blinkTimer_, &QTimer::timeout, this, &TSignBoard::blink);
}

void TSignBoard::setFace(TSignFace face) {
    const bool changed = !(face == face_);
    face_ = std::move(face);
    notes_.clear();
    face_.columns = std::max(1, face_.columns);
    hasFlashing_ = false;
    for (const TSignFaceLine& line : face_.lines) {
        if (!line.record)
            continue;
        for (const TSignChar& c : line.record->chars)
            hasFlashing_ = hasFlashing_ || c.flashing;
    }
    updateGeometry();
    update();
    // A screen reader learns that the board reads otherwise now.
    if (changed && QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, faceText());
        QAccessible::updateAccessibility(&event);
    }
}

void TSignBoard::setLineNotes(std::vector<QString> notes) {
    notes_ = std::move(notes);
    update();
}

int TSignBoard::lineAt(int y) const {
    if (linesPitch_ <= 0)
        return -1;
    const double dots = (y - linesTop_) / linesPitch_;
    const int row = static_cast<int>(std::floor(dots / kLineDots));
    if (dots < 0 || row >= static_cast<int>(face_.lines.size()))
        return -1;
    return row;
}

const TSignChar* TSignBoard::charAt(const QPoint& pos) const {
    const int row = lineAt(pos.y());
    if (row < 0 || !face_.lines[static_cast<std::size_t>(row)].record)
        return nullptr;
    const double dots = (pos.x() - boardLeft_) / linesPitch_;
    const int column = static_cast<int>(std::floor(dots / kCellDots));
    if (dots < 0 || column >= face_.columns)
        return nullptr;
    return cellAt(*face_.lines[static_cast<std::size_t>(row)].record, column);
}

QString TSignBoard::faceText() const {
    QStringList lines;
    for (const TSignFaceLine& line : face_.lines) {
        std::string shown;
        if (line.record) {
            for (int column = 0; column < face_.columns; ++column) {
                const TSignChar* c = cellAt(*line.record, column);
                shown.push_back(c ? static_cast<char>(c->code) : ' ');
            }
        }
        QString text =
            QString::fromLatin1(line.address.c_str()) + QLatin1Char(' ') + toQString(shown);
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

bool TSignBoard::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = lineAt(help->pos().y());
        if (row >= 0 && static_cast<std::size_t>(row) < notes_.size() &&
            !notes_[static_cast<std::size_t>(row)].isEmpty()) {
            QToolTip::showText(help->globalPos(), notes_[static_cast<std::size_t>(row)], this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void TSignBoard::setMinimumPitch(double pitch) {
    minimumPitch_ = std::max(0.0, pitch);
    updateGeometry();
}

int TSignBoard::rowCount() const {
    return std::max<int>(1, static_cast<int>(face_.lines.size()));
}

int TSignBoard::dotsAcross() const {
    return kLabelDots + face_.columns * kCellDots - 1 + kMarkerDots + 2 * kMarginDots;
}

int TSignBoard::dotsDown() const {
    return rowCount() * kLineDots - kLineGapDots + 2 * kMarginDots;
}

QSize TSignBoard::sizeHint() const {
    const int rows = std::max(3, rowCount());
    const double pitch =
        std::max(minimumPitch_, std::clamp(900.0 / (face_.columns * kCellDots), 2.0, 6.0));
    const int down = rows * kLineDots - kLineGapDots + 2 * kMarginDots;
    return {static_cast<int>(std::ceil(dotsAcross() * pitch)),
            static_cast<int>(std::ceil(down * pitch))};
}

QSize TSignBoard::minimumSizeHint() const {
    if (minimumPitch_ <= 0)
        return QWidget::minimumSizeHint();
    return {static_cast<int>(std::ceil(dotsAcross() * minimumPitch_)),
            static_cast<int>(std::ceil(dotsDown() * minimumPitch_))};
}

void TSignBoard::blink() {
    blinkOn_ = !blinkOn_;
    if (hasFlashing_)
        update();
}

void TSignBoard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    blinkTimer_.start();
}

void TSignBoard::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    blinkTimer_.stop();
    blinkOn_ = true;
}

void TSignBoard::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintBoard(painter, rect(), event->rect());
}

void TSignBoard::setPitch(double pitch) {
    const qreal ratio = devicePixelRatioF();
    if (pitch == cellPitch_ && ratio == cellRatio_)
        return;
    cellPitch_ = pitch;
    cellRatio_ = ratio;
    dark_ = QPixmap();
    lit_.assign(256 * kColours, QPixmap());
}

QPixmap TSignBoard::drawCell(const TGlyph& glyph, const QColor& on) const {
    const QSizeF size(kGlyphColumns * cellPitch_, kGlyphRows * cellPitch_);
    QPixmap cell(QSize(static_cast<int>(std::ceil(size.width() * cellRatio_)),
                       static_cast<int>(std::ceil(size.height() * cellRatio_))));
    cell.setDevicePixelRatio(cellRatio_);
    cell.fill(kBoard);
    QPainter painter(&cell);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double dot = cellPitch_ * 0.78;
    const double inset = (cellPitch_ - dot) / 2;
    for (int gy = 0; gy < kGlyphRows; ++gy) {
        for (int gx = 0; gx < kGlyphColumns; ++gx) {
            const bool lit = (glyph[static_cast<std::size_t>(gy)] >> (kGlyphColumns - 1 - gx)) & 1;
            painter.setBrush(lit ? on : kDark);
            painter.drawEllipse(QRectF(gx * cellPitch_ + inset, gy * cellPitch_ + inset, dot, dot));
        }
    }
    return cell;
}

const QPixmap& TSignBoard::darkCell() {
    if (dark_.isNull())
        dark_ = drawCell(ledGlyph(' '), kDark);
    return dark_;
}

const QPixmap& TSignBoard::litCell(unsigned char code, TSignColour colour) {
    QPixmap& cell = lit_[static_cast<std::size_t>(code) * kColours + static_cast<int>(colour)];
    if (cell.isNull())
        cell = drawCell(ledGlyph(code), screenColour(colour, TColourScheme::Led));
    return cell;
}

void TSignBoard::paintBoard(QPainter& painter, const QRect& area, const QRect& exposed) {
    painter.fillRect(exposed, kFrame);
    const int across = dotsAcross();
    const int down = dotsDown();
    const double pitch = std::max(1.5, std::min(static_cast<double>(area.width()) / across,
                                                static_cast<double>(area.height()) / down));
    setPitch(pitch);
    const double left = area.left() + (area.width() - across * pitch) / 2;
    const double top = area.top() + (area.height() - down * pitch) / 2;
    const double boardX = left + (kMarginDots + kLabelDots) * pitch;
    const double boardW = (face_.columns * kCellDots - 1) * pitch;
    painter.fillRect(QRectF(boardX - pitch, top, boardW + 2 * pitch, down * pitch), kBoard);

    QFont labelFont = font();
    labelFont.setPixelSize(std::max(8, static_cast<int>(pitch * 3)));
    painter.setFont(labelFont);
    painter.setRenderHint(QPainter::Antialiasing);

    // Only the cells that the exposed part crosses.
    const int firstColumn = std::clamp(
        static_cast<int>((exposed.left() - boardX) / (kCellDots * pitch)), 0, face_.columns);
    const int endColumn = std::clamp(
        static_cast<int>((exposed.right() - boardX) / (kCellDots * pitch)) + 1, 0, face_.columns);
    const int rows = rowCount();
    linesTop_ = top + kMarginDots * pitch;
    linesPitch_ = pitch;
    boardLeft_ = boardX;
    for (int row = 0; row < rows; ++row) {
        const double y0 = top + (kMarginDots + row * kLineDots) * pitch;
        if (y0 > exposed.bottom() || y0 + kLineDots * pitch < exposed.top())
            continue;
        const TSignFaceLine* line = row < static_cast<int>(face_.lines.size())
                                        ? &face_.lines[static_cast<std::size_t>(row)]
                                        : nullptr;
        const TSignRecord* record = line && line->record ? &*line->record : nullptr;
        if (line) {
            const QRectF label(left, y0, (kMarginDots + kLabelDots - 1) * pitch,
                               kGlyphRows * pitch);
            const bool marked = static_cast<std::size_t>(row) < notes_.size() &&
                                !notes_[static_cast<std::size_t>(row)].isEmpty();
            if (marked) {
                // A line that shows bytes of a block with a control byte: its address framed.
                painter.setPen(QPen(controlMarkColour(), std::max(1.0, pitch / 2)));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(label.adjusted(pitch / 2, 0, 0, 0));
            }
            painter.setPen(marked ? controlMarkColour() : kLabel);
            painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                             QString::fromLatin1(line->address.c_str()));
        }
        const int y = static_cast<int>(std::lround(y0));
        for (int column = firstColumn; column < endColumn; ++column) {
            // Pads and the rest of the line are dark cells.
            const TSignChar* c = record ? cellAt(*record, column) : nullptr;
            const bool lit = c && (!c->flashing || blinkOn_);
            const int x = static_cast<int>(std::lround(boardX + column * kCellDots * pitch));
            painter.drawPixmap(x, y, lit ? litCell(c->code, c->colour) : darkCell());
        }
        if (record) {
            const std::size_t used = record->leadingPad + record->chars.size();
            if (used > static_cast<std::size_t>(face_.columns)) {
                // Past the width: an arrow beside the line and the number of hidden characters.
                const QColor mark = overflowMarkColour();
                const double x = boardX + boardW + pitch * 1.5;
                QPolygonF arrow;
                arrow << QPointF(x, y0 + pitch) << QPointF(x + pitch * 2.5, y0 + 3.5 * pitch)
                      << QPointF(x, y0 + 6 * pitch);
                painter.setPen(Qt::NoPen);
                painter.setBrush(mark);
                painter.drawPolygon(arrow);
                painter.setPen(mark);
                painter.drawText(
                    QRectF(x - pitch, y0 + 6 * pitch, kMarkerDots * pitch, kLineGapDots * pitch),
                    Qt::AlignLeft | Qt::AlignTop,
                    QStringLiteral("+%1").arg(used - static_cast<std::size_t>(face_.columns)));
            }
        }
    }
}
