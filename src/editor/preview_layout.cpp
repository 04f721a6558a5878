#include "editor/preview_layout.h"

std::vector<QPoint> layoutPreview(const std::vector<TPreviewGlyph>& glyphs, int right) {
    std::vector<QPoint> positions;
    positions.reserve(glyphs.size());
    int x = 2;
    int y = 2;
    for (const TPreviewGlyph& glyph : glyphs) {
        if (x > right - glyph.wWidth - 2) {
            x = 2;
            y += glyph.wHeight;
        }
        positions.emplace_back(x, y);
        x += glyph.advance;
    }
    return positions;
}
