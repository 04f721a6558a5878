#include "sign_window.h"

#include "led_font.h"

#include "model/ui/screen_colour.h"

#include <QPainter>
#include <QStatusBar>

#include <algorithm>

namespace {

constexpr int kLabelDots = 4;   // room for the line address, in dot pitches
constexpr int kMarkerDots = 8;  // room for the overflow mark and its count
constexpr int kLineGapDots = 3; // dark rows between two sign lines
constexpr int kMarginDots = 2;

const QColor kBoard(12, 12, 12);
const QColor kFrame(40, 40, 40);
const QColor kDark(38, 30, 28);
const QColor kLabel(110, 110, 110);
const QColor kOverflow(255, 140, 0);

} // namespace

TSignBoard::TSignBoard(int width, QWidget* parent)
    : QWidget(parent)
    , width_(std::max(1, width)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&blinkTimer_, &QTimer::timeout, this, &TSignBoard::blink);
    blinkTimer_.start(250);
}

void TSignBoard::showRecord(const TSignRecord& record) {
    lines_[record.address] = record;
    updateGeometry();
    update();
}

QSize TSignBoard::sizeHint() const {
    const int rows = std::max<int>(3, static_cast<int>(lines_.size()));
    const int pitch = std::clamp(900 / (width_ * (kGlyphColumns + 1)), 2, 6);
    const int dotsX = kLabelDots + width_ * (kGlyphColumns + 1) + kMarkerDots + 2 * kMarginDots;
    const int dotsY = rows * (kGlyphRows + kLineGapDots) - kLineGapDots + 2 * kMarginDots;
    return {dotsX * pitch, dotsY * pitch};
}

void TSignBoard::blink() {
    blinkOn_ = !blinkOn_;
    for (const auto& [address, record] : lines_) {
        for (const TSignChar& c : record.chars) {
            if (c.flashing) {
                update();
                return;
            }
        }
    }
}

void TSignBoard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kFrame);
    painter.setRenderHint(QPainter::Antialiasing);

    const int rows = std::max<int>(1, static_cast<int>(lines_.size()));
    const int cellDots = kGlyphColumns + 1;
    const int dotsX = kLabelDots + width_ * cellDots - 1 + kMarkerDots + 2 * kMarginDots;
    const int dotsY = rows * (kGlyphRows + kLineGapDots) - kLineGapDots + 2 * kMarginDots;
    const double pitch = std::max(
        1.5, std::min(static_cast<double>(width()) / dotsX, static_cast<double>(height()) / dotsY));
    const double left = (width() - dotsX * pitch) / 2;
    const double top = (height() - dotsY * pitch) / 2;
    const double boardX = left + (kMarginDots + kLabelDots) * pitch;
    const double boardW = (width_ * cellDots - 1) * pitch;
    painter.fillRect(QRectF(boardX - pitch, top, boardW + 2 * pitch, dotsY * pitch), kBoard);

    const double dot = pitch * 0.78;
    QFont labelFont = font();
    labelFont.setPixelSize(std::max(8, static_cast<int>(pitch * 3)));
    painter.setFont(labelFont);

    std::vector<const TSignRecord*> shown;
    for (const auto& [address, record] : lines_)
        shown.push_back(&record);
    if (shown.empty())
        shown.push_back(nullptr);

    for (int row = 0; row < rows; ++row) {
        const TSignRecord* record = shown[static_cast<std::size_t>(row)];
        const double y0 = top + (kMarginDots + row * (kGlyphRows + kLineGapDots)) * pitch;
        if (record) {
            painter.setPen(kLabel);
            painter.drawText(
                QRectF(left, y0, (kMarginDots + kLabelDots - 1) * pitch, kGlyphRows * pitch),
                Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(record->address.c_str()));
        }
        painter.setPen(Qt::NoPen);
        for (int column = 0; column < width_; ++column) {
            // Pads and the rest of the line are dark cells.
            const TSignChar* c = nullptr;
            if (record && column >= static_cast<int>(record->leadingPad)) {
                const std::size_t index = static_cast<std::size_t>(column) - record->leadingPad;
                if (index < record->chars.size())
                    c = &record->chars[index];
            }
            const bool lit = c && (!c->flashing || blinkOn_);
            const TGlyph& glyph = ledGlyph(c ? c->code : ' ');
            const QColor on = screenColour(c ? c->colour : TSignColour::Red, TColourScheme::Led);
            for (int gy = 0; gy < kGlyphRows; ++gy) {
                for (int gx = 0; gx < kGlyphColumns; ++gx) {
                    const bool dotOn = lit && (glyph[gy] >> (kGlyphColumns - 1 - gx)) & 1;
                    painter.setBrush(dotOn ? on : kDark);
                    const double x = boardX + (column * cellDots + gx) * pitch;
                    const double y = y0 + gy * pitch;
                    painter.drawEllipse(
                        QRectF(x + (pitch - dot) / 2, y + (pitch - dot) / 2, dot, dot));
                }
            }
        }
        if (record) {
            const std::size_t used = record->leadingPad + record->chars.size();
            if (used > static_cast<std::size_t>(width_)) {
                // Past the width: an arrow beside the line and the number of hidden characters.
                const double x = boardX + boardW + pitch * 1.5;
                QPolygonF arrow;
                arrow << QPointF(x, y0 + pitch) << QPointF(x + pitch * 2.5, y0 + 3.5 * pitch)
                      << QPointF(x, y0 + 6 * pitch);
                painter.setBrush(kOverflow);
                painter.drawPolygon(arrow);
                painter.setPen(kOverflow);
                painter.drawText(
                    QRectF(x - pitch, y0 + 6 * pitch, kMarkerDots * pitch, kLineGapDots * pitch),
                    Qt::AlignLeft | Qt::AlignTop, QStringLiteral("+%1").arg(used - width_));
                painter.setPen(Qt::NoPen);
            }
        }
    }
}

TSignWindow::TSignWindow(int width, const QString& where, QWidget* parent)
    : QMainWindow(parent)
    , board_(new TSignBoard(width, this))
    , status_(new QLabel(this))
    , where_(where) {
    setWindowTitle(QStringLiteral("Lumavane sign - %1").arg(where));
    setCentralWidget(board_);
    statusBar()->addWidget(status_, 1);
    updateStatus();
}

void TSignWindow::sendStarted(const QString& peer) {
    peer_ = peer;
    inSend_ = true;
    records_ = 0;
    errors_ = 0;
    lastError_.clear();
    updateStatus();
}

void TSignWindow::showRecord(const TSignRecord& record) {
    board_->showRecord(record);
    ++records_;
    updateStatus();
}

void TSignWindow::showError(const TStreamError& error) {
    ++errors_;
    lastError_ = QStringLiteral("%1 at byte %2")
                     .arg(QString::fromStdString(error.describe()))
                     .arg(error.offset);
    updateStatus();
}

void TSignWindow::sendEnded() {
    inSend_ = false;
    updateStatus();
}

void TSignWindow::updateStatus() {
    QString text = QStringLiteral("Waiting on %1").arg(where_);
    if (!peer_.isEmpty()) {
        text +=
            QStringLiteral("  |  %1 %2: %3 record(s)")
                .arg(inSend_ ? QStringLiteral("receiving from") : QStringLiteral("last send from"))
                .arg(peer_)
                .arg(records_);
        if (errors_ > 0)
            text += QStringLiteral(", %1 malformed (last: %2)").arg(errors_).arg(lastError_);
    }
    status_->setText(text);
}
