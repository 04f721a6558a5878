#include "editor/print_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Ten printer pixels a character: easy to reckon header positions by hand.
int tenPerChar(const std::string& text) {
    return static_cast<int>(text.size()) * 10;
}

std::vector<int> linesPerPage(const std::vector<TPrintedPage>& pages) {
    std::vector<int> counts;
    for (const TPrintedPage& page : pages)
        counts.push_back(static_cast<int>(page.Lines.size()));
    return counts;
}

struct PagingCase {
    const char* name;
    int lines;
    int lineHeight;
    int pageHeight;
    std::vector<int> expected; // lines on each page
};

TEST(PrintLayout, LinesPerPage) {
    const PagingCase cases[] = {
        // 6400 + 150 + 30 = 6580 <= 6600 keeps the 40th line; the 41st needs 6740.
        {"worked example, 100 lines", 100, 150, 6600, {40, 40, 20}},
        {"worked example, one more than a page", 41, 150, 6600, {40, 1}},
        // The last line fills its page: the listing ends there, no blank page follows.
        {"worked example, exactly one page", 40, 150, 6600, {40}},
        {"worked example, exactly two pages", 80, 150, 6600, {40, 40}},
        {"page exactly full at the 40th line", 45, 150, 6580, {40, 5}},
        {"one pixel short of the 40th line", 45, 150, 6579, {39, 6}},
        {"tiny page: one line a page", 3, 150, 10, {1, 1, 1}},
        {"page height zero", 2, 150, 0, {1, 1}},
        {"nothing to print", 0, 150, 6600, {}},
        {"a single line", 1, 150, 6600, {1}},
    };
    for (const PagingCase& c : cases) {
        const auto pages = layoutListing(
            c.lines, "x.lsm", TPrintGeometry{4800, c.pageHeight, c.lineHeight}, tenPerChar);
        EXPECT_EQ(linesPerPage(pages), c.expected) << c.name;
    }
}

TEST(PrintLayout, WorkedExamplePositions) {
    const auto pages = layoutListing(100, "x.lsm", TPrintGeometry{4800, 6600, 150}, tenPerChar);
    ASSERT_EQ(pages.size(), 3u);
    int next = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const TPrintedPage& page = pages[p];
        EXPECT_EQ(page.Number, static_cast<int>(p) + 1);
        EXPECT_EQ(page.NumberText, "Page " + std::to_string(p + 1));
        for (std::size_t n = 0; n < page.Lines.size(); ++n) {
            // Lines follow in list order; the first body line stands under the header at h + 10.
            EXPECT_EQ(page.Lines[n].Index, next++) << "page " << p + 1 << " line " << n;
            EXPECT_EQ(page.Lines[n].Top, static_cast<int>(n + 1) * 160)
                << "page " << p + 1 << " line " << n;
        }
    }
    EXPECT_EQ(next, 100);
    EXPECT_EQ(pages[0].Lines.back().Top, 6400);
}

// The page capacity in closed form: the n-th line of a page (from 1) stands at n * (h + 10) and
// fits while n * (h + 10) + h + 30 <= page height; at least one line a page.
TEST(PrintLayout, CapacityMatchesClosedForm) {
    for (int h : {1, 7, 150, 283}) {
        for (int height = 0; height <= 2000; height += 13) {
            const int pitch = h + kPrintLineGap;
            const int capacity = std::max(1, (height - h - kPrintBottomReserve) / pitch);
            const int lines = 3 * capacity + 1;
            const auto pages =
                layoutListing(lines, "x", TPrintGeometry{100, height, h}, tenPerChar);
            ASSERT_EQ(pages.size(), 4u) << "h " << h << " height " << height;
            EXPECT_EQ(pages[0].Lines.size(), static_cast<std::size_t>(capacity))
                << "h " << h << " height " << height;
            EXPECT_EQ(pages[3].Lines.size(), 1u) << "h " << h << " height " << height;
        }
    }
}

struct HeaderCase {
    const char* name;
    std::string fileName;
    int pageWidth;
    int nameLeft;
    int numberLeft; // of "Page 1", 60 pixels wide
};

TEST(PrintLayout, HeaderPositions) {
    const HeaderCase cases[] = {
        {"untitled", "[new file]", 4800, 2400 - 50, 4800 - 60 - 2},
        // Both halves cut toward zero: 1001 / 2 = 500, 30 / 2 = 15 (3 characters of 10).
        {"odd page width", "a.b", 1001, 500 - 15, 1001 - 60 - 2},
        {"odd name width", "abcde", 1000, 500 - 25, 1000 - 60 - 2},
        // 150 pixels of name on a 100 pixel page: it starts left of the page.
        {"name wider than the page", std::string(15, 'n'), 100, 50 - 75, 100 - 60 - 2},
        {"empty name", "", 1000, 500, 1000 - 60 - 2},
    };
    for (const HeaderCase& c : cases) {
        const auto pages = layoutListing(
            1, c.fileName, TPrintGeometry{c.pageWidth, 6600, 150},
            [](const std::string& text) { return static_cast<int>(text.size()) * 10; });
        ASSERT_EQ(pages.size(), 1u) << c.name;
        EXPECT_EQ(pages[0].NameLeft, c.nameLeft) << c.name;
        EXPECT_EQ(pages[0].NumberText, "Page 1") << c.name;
        EXPECT_EQ(pages[0].NumberLeft, c.numberLeft) << c.name;
    }
}

TEST(PrintLayout, PageNumberMovesLeftAsItGrows) {
    // One line a page: "Page 9" is 60 pixels wide, "Page 10" 70.
    const auto pages = layoutListing(10, "f", TPrintGeometry{1000, 10, 150}, tenPerChar);
    ASSERT_EQ(pages.size(), 10u);
    EXPECT_EQ(pages[8].NumberText, "Page 9");
    EXPECT_EQ(pages[8].NumberLeft, 1000 - 60 - 2);
    EXPECT_EQ(pages[9].NumberText, "Page 10");
    EXPECT_EQ(pages[9].NumberLeft, 1000 - 70 - 2);
    EXPECT_EQ(pages[9].Lines.front().Top, 160);
}

} // namespace
