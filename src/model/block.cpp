#include "model/block.h"

void TBlock::ParseLine(const std::string& line) {
    Centered = false;
    Text.clear();
    const std::size_t comma = line.find(',');
    if (comma == std::string::npos) {
        Text = line.substr(0, kMaxBlockText);
        return;
    }
    Text = line.substr(comma + 1, kMaxBlockText);
    Centered = line.compare(0, comma, "Centered") == 0;
}

std::string WholeLineText(const std::string& line) {
    const std::size_t comma = line.find(',');
    return comma == std::string::npos ? line : line.substr(comma + 1);
}

std::string TBlock::BuildLine() const {
    std::string line = Centered ? "Centered," : "NotCentered,";
    line += SingleLineText(Text);
    return line;
}

std::string SingleLineText(const std::string& text) {
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

void ExpandMarkup(const std::string& text, std::string& plain, TMarkupArray& colours,
                  TMarkupArray& flash) {
    unsigned char colour = 0;
    unsigned char flashing = 0;
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
                colour = 0;
                break;
            case 'G':
                colour = 1;
                break;
            case 'Y':
                colour = 2;
                break;
            case 'F':
                flashing = static_cast<unsigned char>(1 - flashing);
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
