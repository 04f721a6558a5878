#include "editor/colour_letters.h"
#include "editor/message_list_box.h"
#include "editor/message_row.h"
#include "support/gui/app_fixture.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 192, 144);
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

// Pixels of exactly `colour` in the columns [left, right) of `image`, rows [top, bottom).
int countColour(const QImage& image, const QColor& colour, int left, int right, int top = 0,
                int bottom = -1) {
    if (bottom < 0)
        bottom = image.height();
    int n = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x) {
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                ++n;
        }
    }
    return n;
}

// Columns of the characters after the head of a row numbered `number`: [start, end) each.
std::vector<std::pair<int, int>> characterSpans(int number, const QString& head,
                                                const QString& plain) {
    const QFontMetrics metrics(messageRowFont());
    int x = 2 + metrics.horizontalAdvance(QString("Line %1-").arg(number)) +
            metrics.horizontalAdvance(head);
    std::vector<std::pair<int, int>> spans;
    for (QChar ch : plain) {
        const int w = metrics.horizontalAdvance(ch);
        spans.emplace_back(x, x + w);
        x += w;
    }
    return spans;
}

QImage drawRow(const std::string& line, int index, const QColor& background, int width = 618) {
    QImage image(width, TMessageListBox::kRowHeight, QImage::Format_RGB32);
    image.fill(QColor(1, 2, 3)); // what the list left there
    QPainter painter(&image);
    drawMessageRow(painter, line, index, image.rect(), background);
    return image;
}

// Rows below the underline-free part of letters without descenders: only an underline draws
// there.
int belowBaseline() {
    return QFontMetrics(messageRowFont()).ascent() + 1;
}

TEST(MessageRow, CharactersInSignColoursAndOnlyFlashingOnesUnderlined) {
    struct Case {
        const char* name;
        std::string line;
        QString head;
        QString plain;
        std::vector<QColor> colours;
        std::vector<bool> underlined;
    };
    const Case cases[] = {
        {"flash after colour change",
         "NotCentered,A^G^B^F^C",
         "NotCentered,",
         "ABC",
         {kRed, kGreen, kGreen},
         {false, false, true}},
        {"flash on and off",
         "Centered,^Y^H^F^E^F^LO",
         "Centered,",
         "HELO",
         {kYellow, kYellow, kYellow, kYellow},
         {false, true, false, false}},
        {"commas after the head",
         "Centered,^G^A,B,C",
         "Centered,",
         "A,B,C",
         {kGreen, kGreen, kGreen, kGreen, kGreen},
         {false, false, false, false, false}},
        {"unknown code is text",
         "NotCentered,^F^5^%",
         "NotCentered,",
         "5^%",
         {kRed, kRed, kRed},
         {true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = drawRow(c.line, 11, kBlack);
        const auto spans = characterSpans(12, c.head, c.plain);
        ASSERT_EQ(spans.size(), c.colours.size());
        // Prefix and head in white, nothing but black and white there.
        EXPECT_GT(countColour(image, kWhite, 2, spans.front().first), 50);
        EXPECT_EQ(countColour(image, kRed, 0, spans.front().first), 0);
        for (std::size_t k = 0; k < spans.size(); ++k) {
            SCOPED_TRACE(k);
            const auto [left, right] = spans[k];
            const QChar ch = c.plain[static_cast<qsizetype>(k)];
            if (ch != u',' && ch != u'^') {
                EXPECT_GT(countColour(image, c.colours[k], left, right), 10);
            }
            const int underline = countColour(image, c.colours[k], left, right, belowBaseline());
            if (ch == u',' && !c.underlined[k])
                continue; // its tail reaches below the baseline
            if (c.underlined[k])
                EXPECT_GE(underline, right - left - 2);
            else
                EXPECT_EQ(underline, 0);
        }
        // The rest of the row is the background.
        EXPECT_EQ(countColour(image, kBlack, spans.back().second + 2, image.width()),
                  (image.width() - spans.back().second - 2) * image.height());
    }
}

TEST(MessageRow, LineWithoutCommaIsWhiteAndUnnumbered) {
    const std::string line = "plain ^R^ text";
    const QImage image = drawRow(line, 0, kBlack);
    const QFontMetrics metrics(messageRowFont());
    const int end = 2 + metrics.horizontalAdvance(QString::fromStdString(line));
    EXPECT_GT(countColour(image, kWhite, 0, end), 100);
    EXPECT_EQ(countColour(image, kRed, 0, image.width()), 0);
    // Nothing beyond the line itself: no prefix pushed it to the right.
    EXPECT_EQ(countColour(image, kWhite, end + 2, image.width()), 0);
}

TEST(MessageRow, EmptyLineDrawsNothingAtAll) {
    const QImage image = drawRow("", 0, QColor(0, 0, 200));
    EXPECT_EQ(countColour(image, QColor(1, 2, 3), 0, image.width()),
              image.width() * image.height());
}

TEST(MessageRow, CharactersPastTheRightEdgeAreCutOff) {
    const std::string line = "NotCentered," + std::string(300, 'X');
    const QImage image = drawRow(line, 0, kBlack, 300);
    EXPECT_GT(countColour(image, kRed, 290, 300), 0);
}

class MessageListTest : public AppFixture {
protected:
    QImage rowImage(int row) {
        QApplication::processEvents();
        const QRect rect = form().ListBox1->visualRect(form().Lines().index(row));
        return form().ListBox1->viewport()->grab(rect).toImage();
    }
};

// The grey pixels (a colour letter's ink, antialiased) of the columns [left, left + width).
std::vector<QRgb> inkOf(const QImage& image, int left, int width) {
    std::vector<QRgb> ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = left; x < left + width; ++x) {
            const QRgb p = image.pixel(x, y);
            const bool grey = qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) > 40;
            ink.push_back(grey ? p : 0);
        }
    }
    return ink;
}

// With View > Colour Letters each run carries its mark (R, G, Y, "*" when flashing) before it:
// the row holds, run by run, the mark as drawn on its own, then the run's characters.
TEST(MessageRow, ColourLettersMarkEachRunBeforeItsCharacters) {
    struct Run {
        TSignColour colour;
        TFlash flash;
        QString text;
    };
    struct Case {
        const char* name;
        std::string line;
        std::vector<Run> runs;
    };
    const TSignColour red = TSignColour::Red, green = TSignColour::Green;
    const Case cases[] = {
        {"one run", "NotCentered,AB", {{red, TFlash::Steady, "AB"}}},
        {"colour then flash change",
         "NotCentered,A^G^B^F^C",
         {{red, TFlash::Steady, "A"},
          {green, TFlash::Steady, "B"},
          {green, TFlash::Flashing, "C"}}},
        {"codes that change nothing",
         "NotCentered,^R^A^Y^^Y^B",
         {{red, TFlash::Steady, "A"}, {TSignColour::Yellow, TFlash::Steady, "B"}}},
    };
    const QColor ink(225, 225, 225);
    const QFontMetrics metrics(messageRowFont());
    const int textStart = 2 + metrics.horizontalAdvance(QString("Line 1-NotCentered,"));
    // Grey pixels from `left` to the row's right edge: none.
    const auto noInkFrom = [](const QImage& row, int left) {
        return inkOf(row, left, row.width() - left) ==
               std::vector<QRgb>(static_cast<std::size_t>((row.width() - left) * row.height()));
    };
    setColourLettersShown(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage row = drawRow(c.line, 0, kBlack);
        int x = textStart;
        for (const Run& run : c.runs) {
            QImage mark(row.size(), QImage::Format_RGB32);
            mark.fill(kBlack);
            QPainter painter(&mark);
            const int width =
                drawColourLetter(painter, messageRowFont(), run.colour, run.flash, {0, 0}, ink);
            painter.end();
            // Advances are fractional: the mark may stand a pixel either side of where whole
            // advances put it.
            bool found = false;
            for (int shift : {-1, 0, 1})
                found = found || inkOf(row, x + shift, width) == inkOf(mark, 0, width);
            EXPECT_TRUE(found) << "the mark before " << run.text.toStdString();
            x += width + metrics.horizontalAdvance(run.text);
        }
        EXPECT_TRUE(noInkFrom(row, x + 1)) << "no mark after the text";
    }
    setColourLettersShown(false);
    EXPECT_TRUE(noInkFrom(drawRow("NotCentered,A^G^B", 0, kBlack), textStart + 1))
        << "no marks while the letters are off";
}

TEST_F(MessageListTest, SelectedRowKeepsSignColoursOnTheHighlight) {
    load({"NotCentered,A^G^B^F^C", "", "Centered,^Y^Y"});
    form().ListBox1->clearFocus(); // no focus mark over the pixels
    form().ListBox1->SetItemIndex(0);
    const QImage selected = rowImage(0);
    ASSERT_EQ(selected.height(), TMessageListBox::kRowHeight);
    const QColor highlight =
        form().ListBox1->palette().color(QPalette::Active, QPalette::Highlight);
    const auto spans = characterSpans(1, "NotCentered,", "ABC");
    EXPECT_GT(countColour(selected, kWhite, 2, spans[0].first), 50);
    EXPECT_GT(countColour(selected, kRed, spans[0].first, spans[0].second), 10);
    EXPECT_GT(countColour(selected, kGreen, spans[2].first, spans[2].second), 10);
    const int tail = selected.width() - spans[2].second - 2;
    EXPECT_EQ(countColour(selected, highlight, spans[2].second + 2, selected.width()),
              tail * selected.height());

    // The third row, not selected: black behind yellow.
    const QImage other = rowImage(2);
    EXPECT_GT(countColour(other, kYellow, 0, other.width()), 10);
    EXPECT_EQ(countColour(other, highlight, 0, other.width()), 0);

    // An empty row shows no highlight even when selected.
    form().ListBox1->SetItemIndex(1);
    const QImage empty = rowImage(1);
    EXPECT_EQ(countColour(empty, kBlack, 0, empty.width()), empty.width() * empty.height());
}

} // namespace
