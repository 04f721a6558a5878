#include "model/block.h"

TLineSplit splitBlockLine(std::string_view line) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos)
        return {{}, line};
    return {line.substr(0, comma + 1), line.substr(comma + 1)};
}

void TBlock::ParseLine(const std::string& line) {
    const TLineSplit split = splitBlockLine(line);
    Text = std::string(split.text.substr(0, kMaxBlockText));
    Centered = split.head == "Centered,";
}

std::string wholeLineText(const std::string& line) {
    return std::string(splitBlockLine(line).text);
}

std::string TBlock::BuildLine() const {
    std::string line = Centered ? "Centered," : "NotCentered,";
    line += singleLineText(Text);
    return line;
}

std::string singleLineText(const std::string& text) {
    if (text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos)
        return text;
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0')
            continue;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out.push_back(' ');
            continue;
        }
        out.push_back(c);
    }
    return out;
}

void ExpandMarkup(const std::string& text, std::string& plain, TColourArray& colours,
                  TFlashArray& flash) {
    TSignColour colour = TSignColour::Red;
    TFlash flashing = TFlash::Steady;
    plain.clear();
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && plain.size() < kMaxBlockText) {
        const char c = text[i];
        if (c == '^' && i + 2 < n && text[i + 2] == '^') {
            const char code = text[i + 1];
            bool recognised = true;
            switch (code) {
            case 'R':
                colour = TSignColour::Red;
                break;
            case 'G':
                colour = TSignColour::Green;
                break;
            case 'Y':
                colour = TSignColour::Yellow;
                break;
            case 'F':
                flashing = toggled(flashing);
                break;
            default:
                recognised = false;
                break;
            }
            if (recognised) {
                i += 3;
                continue;
            }
        }
        colours[plain.size()] = colour;
        flash[plain.size()] = flashing;
        plain.push_back(c);
        ++i;
    }
}
