#pragma once

#include "model/sign_colour.h"
#include "model/ui/screen_colour.h"

#include <QFont>
#include <QFontMetrics>

class QColor;
class QPainter;
class QPaintDevice;
class QPoint;
class QString;

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

    // The screen colour of a sign colour.
    QColor ink(TSignColour colour) const;

    // Draws the characters of `text`, all of one flash state, in `ink` from `topLeft`, each
    // where drawChar would put it after the one before; returns the advance of them all. One
    // text call for the run where the face allows, not one per character: a list row is
    // redrawn on every change.
    int drawRun(QPainter& painter, const QString& text, const QColor& ink, TFlash flash,
                const QPoint& topLeft) const;

private:
    TColourScheme scheme_;
    QFont steadyFont_;
    QFont flashFont_;
    QFontMetrics steadyMetrics_;
    QFontMetrics flashMetrics_;
    // The fonts of a run drawn at once, and the whole pixels that each character of one takes
    // (0: runs are drawn a character at a time).
    QFont steadyRunFont_;
    QFont flashRunFont_;
    int cell_ = 0;
};
