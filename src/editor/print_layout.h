#pragma once

#include <functional>
#include <string>
#include <vector>

// Where the listing puts things on paper, in printer pixels from the top-left corner of the
// printable area. Every page that holds a line carries a header at the top: the file name
// centred and "Page N" at the right; the lines follow one under the other from the left edge.

struct TPrintedLine {
    int Index; // position of the line in the message list, from 0
    int Top;
};

struct TPrintedPage {
    int Number; // from 1
    int NameLeft;
    std::string NumberText; // "Page N"
    int NumberLeft;
    std::vector<TPrintedLine> Lines; // never empty
};

struct TPrintGeometry {
    int PageWidth;
    int PageHeight;
    int LineHeight; // the height of "D" in the listing's font on the printer
};

// Measures a header text in the listing's font on the printer.
using TTextWidth = std::function<int(const std::string& text)>;

// Gap under every line, the reserve at the bottom of a page, the page number's right margin.
constexpr int kPrintLineGap = 10;
constexpr int kPrintBottomReserve = 30;
constexpr int kPrintNumberMargin = 2;

// Lays out `lineCount` lines under the header `fileName`. A page is full when the next line's
// top y gives y + h + 30 > page height; it always holds at least one line. No page is made
// without a line, so a listing whose last line fills its page ends with that page.
std::vector<TPrintedPage> layoutListing(int lineCount, const std::string& fileName,
                                        const TPrintGeometry& geometry,
                                        const TTextWidth& textWidth);
