#pragma once

#include "model/sign_colour.h"
#include "model/ui/screen_colour.h"

#include <QFont>
#include <QFontMetrics>

class QPainter;
class QPaintDevice;
class QPoint;

// Draws the plain characters of an expanded block one at a time, as the message list and the
// block editor's preview show them: each in the screen colour of its sign colour, a flashing
// one in the underlined form of the font. Where each character goes is the caller's layout.
class TMarkupPainter {
public:
    // `font` is the font of the steady characters. The metrics measure for `device` when one is
    // given, else for the screen.
    TMarkupPainter(const QFont& font, TColourScheme scheme, const QPaintDevice* device = nullptr);

    const QFont& font(TFlash flash) const;
    const QFontMetrics& metrics(TFlash flash) const;

    // Draws `ch` in its colour and flash state with its top-left corner at `topLeft`; returns
    // the advance of the character as drawn.
    int drawChar(QPainter& painter, QChar ch, TSignColour colour, TFlash flash,
                 const QPoint& topLeft) const;

private:
    TColourScheme scheme_;
    QFont steadyFont_;
    QFont flashFont_;
    QFontMetrics steadyMetrics_;
    QFontMetrics flashMetrics_;
};
