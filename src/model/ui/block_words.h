#pragma once

#include "model/sign_colour.h"

#include <QString>

#include <string>

// The sign colour as a word: "red", "green", "yellow".
QString colourName(TSignColour colour);

// A block's markup text in words, run by run: "SALE in yellow, -50% in flashing green". Runs of
// spaces alone are left out; an empty text is "empty".
QString blockTextInWords(const std::string& text);

// A block line of the message list in words, for a screen reader: "Line 3, centred: SALE in
// yellow, -50% in green"; `index` counts from 0. A line without its head is read as it stands.
QString blockLineInWords(const std::string& line, int index);
