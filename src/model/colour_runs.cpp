#include "model/colour_runs.h"

#include <algorithm>

std::vector<TColourRun> colourRuns(std::size_t count, const TColourArray& colours,
                                   const TFlashArray& flash) {
    count = std::min(count, kMaxBlockText);
    std::vector<TColourRun> runs;
    for (std::size_t i = 0; i < count; ++i) {
        if (!runs.empty() && runs.back().colour == colours[i] && runs.back().flash == flash[i]) {
            ++runs.back().length;
            continue;
        }
        runs.push_back({colours[i], flash[i], i, 1});
    }
    return runs;
}

std::string colourRunMark(TSignColour colour, TFlash flash) {
    std::string mark;
    switch (colour) {
    case TSignColour::Red:
        mark = "R";
        break;
    case TSignColour::Green:
        mark = "G";
        break;
    case TSignColour::Yellow:
        mark = "Y";
        break;
    }
    if (flash == TFlash::Flashing)
        mark += "*";
    return mark;
}
