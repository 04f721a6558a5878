#pragma once

#include <QColor>
#include <QFont>
#include <QRect>

#include <string>
#include <string_view>

class QPainter;
struct TBlockFit;

// The list's row font: "Courier New" bold at a character height of 22 pixels, or the nearest
// fixed-pitch face of the same height where it is missing.
QFont messageRowFont();

// Draws one row of the message list: "Line N-", the line's head up to its first comma in white,
// then the block's characters in their sign colours, flashing ones underlined, on `background`.
// An empty line draws nothing; a line without a comma is drawn whole in white, unnumbered.
// With `fit`, a line that the sign does not show is drawn dimmed, one that runs past the
// sign's width gets a mark at the row's right edge, and one whose text holds a control byte a
// "!" mark beside it.
void drawMessageRow(QPainter& painter, std::string_view line, int index, const QRect& rect,
                    const QColor& background, const TBlockFit* fit = nullptr);

// Width of the mark of a line that runs past the sign's width, at the row's right edge, and of
// the mark of a line that holds a control byte, left of it.
constexpr int kOverflowMarkWidth = 12;
constexpr int kControlMarkWidth = 12;
