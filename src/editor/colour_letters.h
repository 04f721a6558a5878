#pragma once

#include "model/sign_colour.h"

#include <QFont>

class QColor;
class QPaintDevice;
class QPainter;
class QPoint;

// View > Colour Letters: whether the message list, the block editor's preview and the printed
// listing mark each colour run with a letter before it (R, G, Y, and "*" for a flashing run),
// so that a message reads right in black and white and to an eye that cannot tell red from
// green. Off until the user turns it on.
bool colourLettersShown();
void setColourLettersShown(bool shown);

// The small font that the marks are drawn in, beside text in `font`.
QFont colourLetterFont(QFont font);

// Room that the mark of a run takes before it, measured for `device` (the screen when null).
int colourLetterAdvance(const QFont& font, TSignColour colour, TFlash flash,
                        const QPaintDevice* device = nullptr);

// Draws the mark of a run of `colour` and `flash` beside text in `font` whose character cell
// has its top-left corner at `topLeft`: small, raised to the top of the cell, in `ink`. Returns
// its advance. The painter's font and pen are left as they were.
int drawColourLetter(QPainter& painter, const QFont& font, TSignColour colour, TFlash flash,
                     const QPoint& topLeft, const QColor& ink);
