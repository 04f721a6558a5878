#pragma once

#include "model/block.h"
#include "model/sign_colour.h"

#include <cstddef>
#include <string>
#include <vector>

// A stretch of an expanded block's plain characters that share one colour and one flash state.
struct TColourRun {
    TSignColour colour = TSignColour::Red;
    TFlash flash = TFlash::Steady;
    std::size_t begin = 0;  // index of its first plain character
    std::size_t length = 0; // plain characters in it, at least 1

    bool operator==(const TColourRun&) const = default;
};

// The runs of the first `count` plain characters (at most kMaxBlockText) of an expanded block,
// in order: a new run starts wherever the colour or the flash state changes.
std::vector<TColourRun> colourRuns(std::size_t count, const TColourArray& colours,
                                   const TFlashArray& flash);

// The mark that stands before a run when colours are shown as letters: "R", "G" or "Y", and a
// "*" after the letter for a flashing run, so that the text reads right without its colours.
std::string colourRunMark(TSignColour colour, TFlash flash);
