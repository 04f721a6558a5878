#pragma once

#include "model/sign_colour.h"

#include <QColor>

// The places that show sign colours on the screen, each with its own rendering of them.
enum class TColourScheme {
    ListOnBlack,    // the message list: red, green and yellow on black
    PreviewOnWhite, // the block editor: yellow shown as olive, readable on white
    Led,            // the virtual sign: lit LEDs on a dark board
};

// The screen colour of the sign colour `colour` in `scheme`.
QColor screenColour(TSignColour colour, TColourScheme scheme);

// The colour of the marks that say a line runs past the sign's width.
QColor overflowMarkColour();

// The mark of a line whose text holds a byte that the sign reads as a control byte, and of the
// sign line where such a line's bytes show: a colour that no sign colour comes near.
QColor controlMarkColour();
