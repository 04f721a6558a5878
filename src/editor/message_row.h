#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include <string>

class QPainter;

// The list's row font: "Courier New" bold at a character height of 22 pixels, or the nearest
// fixed-pitch face of the same height where it is missing.
QFont messageRowFont();

// Draws one row of the message list: "Line N-", the line's head up to its first comma in white,
// then the block's characters in their sign colours, flashing ones underlined, on `background`.
// An empty line draws nothing; a line without a comma is drawn whole in white, unnumbered.
void drawMessageRow(QPainter& painter, const std::string& line, int index, const QRect& rect,
                    const QColor& background);
