#include "model/ui/screen_colour.h"

#include <iterator>

namespace {

struct TSchemeColours {
    QRgb red;
    QRgb green;
    QRgb yellow;
};

// The greens lean to blue: an eye that cannot tell red from green (about one man in twelve)
// still tells them from the red by that (tests/support/colour_vision.py measures it).
constexpr TSchemeColours kSchemes[] = {
    {qRgb(255, 0, 0), qRgb(0, 192, 144), qRgb(255, 255, 0)},    // ListOnBlack
    {qRgb(255, 0, 0), qRgb(0, 128, 108), qRgb(128, 128, 0)},    // PreviewOnWhite
    {qRgb(255, 40, 30), qRgb(32, 210, 160), qRgb(255, 210, 0)}, // Led
};
static_assert(std::size(kSchemes) == static_cast<std::size_t>(TColourScheme::Led) + 1,
              "one row for each colour scheme, in the order of TColourScheme");

} // namespace

QColor screenColour(TSignColour colour, TColourScheme scheme) {
    const TSchemeColours& colours = kSchemes[static_cast<int>(scheme)];
    switch (colour) {
    case TSignColour::Green:
        return QColor(colours.green);
    case TSignColour::Yellow:
        return QColor(colours.yellow);
    case TSignColour::Red:
        break;
    }
    return QColor(colours.red);
}

QColor overflowMarkColour() {
    return QColor(255, 140, 0);
}

QColor controlMarkColour() {
    return QColor(230, 60, 230);
}
