#include "editor/print_layout.h"

#include "base/ui_text.h"

std::vector<TPrintedPage> layoutListing(int lineCount, const std::string& fileName,
                                        const TPrintGeometry& geometry,
                                        const TTextWidth& textWidth) {
    std::vector<TPrintedPage> pages;
    const int pitch = geometry.LineHeight + kPrintLineGap;
    // Both halves are cut toward zero, so an odd page or name width does not round up, and a
    // name wider than the page starts left of the page's edge.
    const int nameLeft = geometry.PageWidth / 2 - textWidth(fileName) / 2;
    bool headerDue = true;
    int y = 0;
    for (int index = 0; index < lineCount; ++index) {
        if (headerDue) {
            headerDue = false;
            y = pitch;
            TPrintedPage page;
            page.Number = static_cast<int>(pages.size()) + 1;
            page.NameLeft = nameLeft;
            page.NumberText = fillIn(uiText("TPrinting", "Page %1"), {std::to_string(page.Number)});
            page.NumberLeft = geometry.PageWidth - textWidth(page.NumberText) - kPrintNumberMargin;
            pages.push_back(std::move(page));
        }
        pages.back().Lines.push_back(TPrintedLine{index, y});
        y += pitch;
        if (y + geometry.LineHeight + kPrintBottomReserve > geometry.PageHeight)
            headerDue = true;
    }
    return pages;
}
