#pragma once

#include <QPoint>

#include <vector>

// One character of the block editor's preview as the layout sees it: its own advance, and the
// width and height of the letter "W" in the font it is drawn in.
struct TPreviewGlyph {
    int advance = 0;
    int wWidth = 0;
    int wHeight = 0;
};

// Top-left corners of the preview's characters. Drawing starts at (2, 2); a character goes to
// the start of the next line (x = 2, y grows by the height of "W") when x is greater than
// `right` - width of "W" - 2, whatever the character. `right` is the drawing rectangle's right
// edge (the box's width - 1). Lines are not cut here: the box clips at its bottom.
std::vector<QPoint> layoutPreview(const std::vector<TPreviewGlyph>& glyphs, int right);
