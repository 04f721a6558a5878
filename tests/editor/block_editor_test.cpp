#include "editor/block_editor.h"
#include "editor/block_text_edit.h"
#include "editor/message_list_box.h"
#include "editor/paint_box.h"
#include "editor/preview_layout.h"
#include "model/block.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"
#include "support/gui/modal_guard.h"
#include "widgets/error_report.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFontInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <map>

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 108);
const QColor kOlive(128, 128, 0);
const QColor kWhite(255, 255, 255);

// Runs the event loop until `done` holds or `ms` pass; the final value of `done`.
template <class F>
bool waitFor(F done, int ms = 3000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(10);
    return done();
}

// Pixels of `colour` in `area`, counting anti-aliased edges that are mostly that colour on
// white.
int countColour(const QImage& image, const QColor& colour, const QRect& area) {
    auto distance = [](const QColor& a, const QColor& b) {
        const int dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
        return std::sqrt(double(dr * dr + dg * dg + db * db));
    };
    const double tolerance = 0.3 * distance(colour, kWhite);
    int n = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y) {
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1);
             ++x) {
            if (distance(image.pixelColor(x, y), colour) <= tolerance)
                ++n;
        }
    }
    return n;
}

// The dialog on its own, shown and active, over a block of the test's own.
class BlockEditorTest : public testing::Test {
protected:
    void open(const std::string& text, bool centered = false) {
        block.Text = text;
        block.Centered = centered;
        ASSERT_TRUE(showAndActivate(&dialog));
        ASSERT_TRUE(waitFor([this] { return dialog.Edit1->hasFocus(); }));
    }
    void TearDown() override { dialog.hide(); }

    TBlock block;
    TBEDlg dialog{block};
};

TEST_F(BlockEditorTest, ControlsAreLaidOutAsTheDialogDescribes) {
    EXPECT_EQ(dialog.windowTitle(), "Block Editor");
    EXPECT_EQ(dialog.size(), QSize(385, 342));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_FALSE(dialog.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowCloseButtonHint);

    struct Control {
        const char* name;
        QRect geometry;
        const char* text;
        int pixelSize;
        bool bold;
        QColor textColour;
    };
    const Control controls[] = {
        {"Label1",
         {16, 8, 334, 13},
         "Message will look like: (flashing characters are underlined)",
         11,
         true,
         {}},
        {"PaintBox1", {16, 24, 361, 57}, "", 16, false, {}},
        {"CheckBox1", {16, 96, 89, 17}, "Centered", 11, true, {}},
        {"BitBtn1", {232, 96, 145, 33}, "Toggle &Flash", 16, false, QColor(0, 0, 0)},
        {"BitBtn2", {232, 136, 145, 33}, "Set &Red Color", 16, true, kRed},
        {"BitBtn3", {232, 176, 145, 33}, "Set &Green Color", 16, true, kGreen},
        {"BitBtn4", {232, 216, 145, 33}, "Set &Yellow Color", 16, true, kOlive},
        {"Label3", {16, 256, 30, 13}, "Text:", 11, true, {}},
        {"Edit1", {16, 280, 361, 21}, "", 11, true, {}},
        {"OKBtn", {16, 308, 77, 27}, "OK", 11, true, {}},
        {"CancelBtn", {300, 308, 77, 27}, "Cancel", 11, true, {}},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        auto* w = dialog.findChild<QWidget*>(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.geometry);
        EXPECT_EQ(QFontInfo(w->font()).pixelSize(), c.pixelSize);
        EXPECT_EQ(w->font().bold(), c.bold);
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        EXPECT_EQ(text, c.text);
        if (c.textColour.isValid()) {
            EXPECT_EQ(w->palette().color(QPalette::ButtonText), c.textColour);
        }
    }
    EXPECT_EQ(dialog.Edit1->maxLength(), 250);
    EXPECT_TRUE(dialog.OKBtn->isDefault());

    // Tab order.
    std::vector<QString> chain;
    QWidget* w = dialog.OKBtn;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            chain.push_back(w->objectName());
        w = w->nextInFocusChain();
    } while (w != dialog.OKBtn);
    EXPECT_EQ(chain, (std::vector<QString>{"OKBtn", "CancelBtn", "CheckBox1", "Edit1", "BitBtn1",
                                           "BitBtn2", "BitBtn3", "BitBtn4"}));
}

TEST_F(BlockEditorTest, OpeningLoadsTheBlockAndOnlyOkStoresIt) {
    open("^G^GO", true);
    EXPECT_EQ(dialog.Edit1->text(), "^G^GO");
    EXPECT_TRUE(dialog.CheckBox1->isChecked());
    EXPECT_FALSE(dialog.Edit1->hasSelectedText());

    QTest::keyClicks(dialog.Edit1, " ON");
    dialog.CheckBox1->setChecked(false);
    QTest::keyClick(dialog.Edit1, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(block.Text, "^G^GO");
    EXPECT_TRUE(block.Centered);

    // Each opening reloads the controls from the block.
    open("^G^GO", true);
    EXPECT_EQ(dialog.Edit1->text(), "^G^GO");
    QTest::keyClicks(dialog.Edit1, "!");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(block.Text, "^G^GO!");
    EXPECT_TRUE(block.Centered);
}

TEST_F(BlockEditorTest, TabIntoTheTextSelectsNothing) {
    open("some text");
    dialog.Edit1->setCursorPosition(4);
    dialog.CheckBox1->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(dialog.CheckBox1, Qt::Key_Tab);
    ASSERT_TRUE(dialog.Edit1->hasFocus());
    EXPECT_FALSE(dialog.Edit1->hasSelectedText());
    EXPECT_EQ(dialog.Edit1->cursorPosition(), 4);
}

TEST_F(BlockEditorTest, CodeButtonsInsertTheirCodeThroughTheClipboard) {
    struct Case {
        const char* name;
        QString text;
        int selStart; // -1: no selection, caret at selLength
        int selLength;
        QPushButton* TBEDlg::*button;
        Qt::Key accessKey; // Qt::Key_unknown: a mouse click
        QString expected;
        int caret;
        QString code;
    };
    const Case cases[] = {
        {"red at the caret", "ABC", -1, 1, &TBEDlg::BitBtn2, Qt::Key_unknown, "A^R^BC", 4, "^R^"},
        {"red over a selection", "ABCDE", 1, 3, &TBEDlg::BitBtn2, Qt::Key_unknown, "A^R^E", 4,
         "^R^"},
        {"selection made backwards", "ABCDE", 4, -3, &TBEDlg::BitBtn3, Qt::Key_unknown, "A^G^E", 4,
         "^G^"},
        {"Alt+F at the end", "X", -1, 1, &TBEDlg::BitBtn1, Qt::Key_F, "X^F^", 4, "^F^"},
        {"Alt+R over a selection", "ABCDE", 0, 5, &TBEDlg::BitBtn2, Qt::Key_R, "^R^", 3, "^R^"},
        {"Alt+G in the middle", "AB", -1, 1, &TBEDlg::BitBtn3, Qt::Key_G, "A^G^B", 4, "^G^"},
        {"Alt+Y at the start", "AB", -1, 0, &TBEDlg::BitBtn4, Qt::Key_Y, "^Y^AB", 3, "^Y^"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QGuiApplication::clipboard()->setText("what the user had");
        open(c.text.toStdString());
        if (c.selStart < 0)
            dialog.Edit1->setCursorPosition(c.selLength);
        else
            dialog.Edit1->setSelection(c.selStart, c.selLength);
        if (c.accessKey == Qt::Key_unknown)
            QTest::mouseClick(dialog.*c.button, Qt::LeftButton);
        else
            QTest::keyClick(&dialog, c.accessKey, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return dialog.Edit1->text() == c.expected; }))
            << dialog.Edit1->text().toStdString();
        EXPECT_TRUE(waitFor([&] { return dialog.Edit1->hasFocus(); }));
        EXPECT_EQ(dialog.Edit1->cursorPosition(), c.caret);
        EXPECT_FALSE(dialog.Edit1->hasSelectedText());
        // The code went through the clipboard, which holds the user's text again.
        EXPECT_EQ(QGuiApplication::clipboard()->text(), "what the user had");
        dialog.hide();
    }
}

TEST_F(BlockEditorTest, CodeButtonsPutBackEveryFormatTheClipboardHeld) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::green);
    struct Case {
        const char* name;
        std::map<QString, QByteArray> formats; // empty: an empty clipboard
        bool withImage;
    };
    const Case cases[] = {
        {"text, html and a format of another program",
         {{"text/plain", "OPEN "},
          {"text/html", "<b>OPEN</b> "},
          {"application/x-other-program", QByteArray("\0\1\2", 3)}},
         false},
        {"an image", {}, true},
        {"nothing", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* data = new QMimeData;
        for (const auto& [format, bytes] : c.formats)
            data->setData(format, bytes);
        if (c.withImage)
            data->setImageData(image);
        clipboard->setMimeData(data);
        open("AB");
        dialog.Edit1->setCursorPosition(2);
        QTest::keyClick(&dialog, Qt::Key_R, Qt::AltModifier);
        ASSERT_TRUE(waitFor([&] { return dialog.Edit1->text() == "AB^R^"; }));

        // An empty clipboard may give no data at all.
        const QMimeData empty;
        const QMimeData* now = clipboard->mimeData() ? clipboard->mimeData() : &empty;
        for (const auto& [format, bytes] : c.formats)
            EXPECT_EQ(now->data(format), bytes) << format.toStdString();
        EXPECT_EQ(now->hasImage(), c.withImage);
        if (c.withImage) {
            EXPECT_EQ(qvariant_cast<QImage>(now->imageData()), image);
        }
        if (c.formats.empty() && !c.withImage) {
            EXPECT_TRUE(now->formats().isEmpty()) << now->formats().join(",").toStdString();
        }
        // Ctrl+V now pastes what the user had copied.
        QTest::keyClick(dialog.Edit1, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.Edit1->text(),
                  QString(c.formats.count("text/plain") ? "AB^R^OPEN " : "AB^R^"));
        dialog.hide();
    }
}

TEST_F(BlockEditorTest, PressedTwiceInsertsTheCodeTwice) {
    open("AB");
    dialog.Edit1->setCursorPosition(1);
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dialog.Edit1->text(), "A^F^^F^B");
    // Typing goes on where the codes ended.
    QTest::keyClicks(dialog.Edit1, "x");
    EXPECT_EQ(dialog.Edit1->text(), "A^F^^F^xB");
}

TEST_F(BlockEditorTest, TheLimitOf250HoldsForTypingAndCodes) {
    open(std::string(246, 'a'));
    QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    EXPECT_EQ(dialog.Edit1->text().size(), 249);
    // One character left: a code does not fit whole and is not put in at all.
    QTest::mouseClick(dialog.BitBtn3, Qt::LeftButton);
    EXPECT_EQ(dialog.Edit1->text().size(), 249);
    EXPECT_TRUE(dialog.Edit1->text().endsWith("a^R^"));
    QTest::keyClicks(dialog.Edit1, "xyz");
    EXPECT_EQ(dialog.Edit1->text().size(), 250);
    EXPECT_TRUE(dialog.Edit1->text().endsWith("^R^x"));
    // Replacing a selection frees its room.
    dialog.Edit1->setSelection(0, 3);
    QTest::mouseClick(dialog.BitBtn4, Qt::LeftButton);
    EXPECT_TRUE(dialog.Edit1->text().startsWith("^Y^a"));
    EXPECT_EQ(dialog.Edit1->text().size(), 250);
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_EQ(block.Text.size(), 250u);
}

TEST_F(BlockEditorTest, TextLongerThanABlockIsCutOnlyWhenEditedAndAgreed) {
    struct Case {
        const char* name;
        std::size_t loaded;
        bool edited;        // the last character deleted before OK
        int answer;         // to the warning; 0: no warning may appear
        std::size_t stored; // characters in the block afterwards; 0: the dialog stays open
    };
    const Case cases[] = {
        {"332 unchanged: kept whole", 332, false, 0, 332},
        {"332 edited, warning confirmed: cut to 255", 332, true, QMessageBox::Ok, 255},
        {"332 edited, warning cancelled: back to editing", 332, true, QMessageBox::Cancel, 0},
        {"256 edited: fits", 256, true, 0, 255},
    };
    std::string text;
    for (std::size_t i = 0; i < 332; ++i)
        text.push_back(static_cast<char>('A' + i % 26));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string loaded = text.substr(0, c.loaded);
        open(loaded);
        ASSERT_EQ(dialog.Edit1->text().size(), static_cast<qsizetype>(c.loaded));
        if (c.edited)
            QTest::keyClick(dialog.Edit1, Qt::Key_Backspace);
        QString warning;
        if (c.answer) {
            ModalScript script;
            script.expect<QMessageBox>([&](QMessageBox* box) {
                warning = box->text();
                clickButton(box, c.answer);
            });
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
            ASSERT_TRUE(script.wait()) << script.pending();
            EXPECT_EQ(warning, "The text is 331 characters long, and a block keeps at most 255.\n"
                               "OK shortens it to 255 characters: the last 76 are cut off.");
        } else {
            NoModalGuard guard;
            QTest::keyClick(dialog.Edit1, Qt::Key_Return);
            EXPECT_TRUE(guard.Seen().isEmpty()) << guard.Seen().join(",").toStdString();
        }
        if (c.stored == 0) {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.Edit1->text().size(), static_cast<qsizetype>(c.loaded - 1));
            EXPECT_EQ(block.Text, loaded);
        } else {
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(block.Text, text.substr(0, c.stored));
        }
        dialog.hide();
    }
}

TEST_F(BlockEditorTest, PastedLinesAreJoinedAndForeignCharactersRefused) {
    struct Case {
        const char* name;
        QString clipboard;
        QString expected; // after pasting into "<>" between the brackets
    };
    const Case cases[] = {
        {"CR LF, LF and CR", "one\r\ntwo\nthree\rfour", "<one two three four>"},
        {"NUL removed", QString("a") + QChar(0) + "b", "<ab>"},
        {"trailing line break", "last\r\n", "<last >"},
        {"Windows-1252 letters kept", QString::fromUtf8("\xe2\x82\xac 5 \xc3\xa9t\xc3\xa9"),
         QString::fromUtf8("<\xe2\x82\xac 5 \xc3\xa9t\xc3\xa9>")},
        {"outside the character set", QString::fromUtf8("ok \xe2\x98\xba"), "<>"},
        {"Cyrillic", QString::fromUtf8("\xd0\x96"), "<>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("<>");
        dialog.Edit1->setCursorPosition(1);
        QGuiApplication::clipboard()->setText(c.clipboard);
        QTest::keyClick(dialog.Edit1, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(dialog.Edit1->text(), c.expected);
        QTest::keyClick(dialog.Edit1, Qt::Key_Return);
        EXPECT_EQ(block.Text.find_first_of(std::string("\r\n\0", 3)), std::string::npos);
        EXPECT_EQ(block.Text.find('?'), std::string::npos);
    }
    // Typed characters are held to the same set.
    open("");
    for (const QString& key : {QString("a"), QString::fromUtf8("\xc4\x80"), QString("z")}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
        QApplication::sendEvent(dialog.Edit1, &press);
    }
    EXPECT_EQ(dialog.Edit1->text(), "az");
}

TEST_F(BlockEditorTest, UnusableClipboardIsReportedAndLeavesTheText) {
    open("keep");
    dialog.Clipboard = [] { return nullptr; };
    QString message;
    QString caption;
    ModalScript script;
    script.expect<QMessageBox>([&](QMessageBox* box) {
        message = box->text();
        caption = box->windowTitle();
        clickButton(box, QMessageBox::Ok);
    });
    QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(message, "Cannot open clipboard");
    EXPECT_EQ(caption, programTitle());
    EXPECT_EQ(dialog.Edit1->text(), "keep");
}

// Preview: pixels of the characters laid out as the preview lays them out.
class PreviewTest : public BlockEditorTest {
protected:
    QImage preview() {
        QApplication::processEvents();
        return dialog.PaintBox1->grab().toImage();
    }
    // Cell of plain character k of a text of single-width characters on one line.
    QRect cell(int k) {
        const QFontMetrics metrics(dialog.PaintBox1->font());
        const int w = metrics.horizontalAdvance(QLatin1Char('W'));
        return QRect(2 + k * w, 2, w, metrics.height());
    }
    int underlineRow() {
        const QFontMetrics metrics(dialog.PaintBox1->font());
        return 2 + metrics.ascent() + 1;
    }
};

TEST_F(PreviewTest, EmptyTextIsAWhiteBox) {
    open("");
    const QImage image = preview();
    EXPECT_EQ(countColour(image, kWhite, QRect(0, 0, 360, 56)), 360 * 56);
}

TEST_F(PreviewTest, ColoursAndUnderlineFollowTheMarkup) {
    // A red, B green, C green flashing, D olive flashing, E olive steady; ^% is text.
    open("A^G^B^F^C^Y^D^F^E^%");
    const QImage image = preview();
    const QColor expected[] = {kRed, kGreen, kGreen, kOlive, kOlive, kOlive, kOlive};
    const bool underlined[] = {false, false, true, true, false, false, false};
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        const QRect c = cell(k);
        if (k != 5) { // '^' is small and thin
            EXPECT_GT(countColour(image, expected[k], c), 5);
        }
        const QRect below(c.left(), underlineRow(), c.width(), c.bottom() - underlineRow() + 1);
        if (underlined[k])
            EXPECT_GE(countColour(image, expected[k], below), c.width() - 2);
        else
            EXPECT_EQ(countColour(image, expected[k], below), 0);
    }
    // Steady characters are not bold: the same glyph as a plain regular one.
    EXPECT_FALSE(dialog.PaintBox1->font().bold());
}

TEST_F(PreviewTest, LongTextWrapsAtAnyCharacterAndIsCutAtTheBottom) {
    const QFontMetrics metrics(dialog.PaintBox1->font());
    const int w = metrics.horizontalAdvance(QLatin1Char('W'));
    const int perLine = (360 - w - 2 - 2) / w + 1;
    open(std::string(static_cast<std::size_t>(perLine), 'R') + "^G^" + std::string(200, 'G'));
    const QImage image = preview();
    // The first line is red up to its last cell, the second starts green at the left edge.
    EXPECT_GT(countColour(image, kRed, cell(perLine - 1)), 5);
    EXPECT_EQ(countColour(image, kGreen, QRect(0, 0, 360, 2 + metrics.height())), 0);
    EXPECT_GT(countColour(image, kGreen, QRect(2, 2 + metrics.height(), w, metrics.height())), 5);
    // Nothing is drawn outside the drawing rectangle.
    EXPECT_EQ(countColour(image, kGreen, QRect(0, 56, 361, 1)), 0);
    EXPECT_EQ(countColour(image, kGreen, QRect(360, 0, 1, 57)), 0);
}

TEST_F(PreviewTest, TypingRepaintsThePreview) {
    open("");
    QTest::keyClicks(dialog.Edit1, "^G^M");
    EXPECT_GT(countColour(preview(), kGreen, cell(0)), 5);
    // Centring does not move the preview.
    dialog.CheckBox1->setChecked(true);
    EXPECT_GT(countColour(preview(), kGreen, cell(0)), 5);
}

TEST(PreviewLayout, EightPixelFontHolds44CharactersOnTheFirstLine) {
    const std::vector<TPreviewGlyph> glyphs(46, TPreviewGlyph{8, 8, 13});
    const std::vector<QPoint> at = layoutPreview(glyphs, 360);
    ASSERT_EQ(at.size(), 46u);
    EXPECT_EQ(at[0], QPoint(2, 2));
    EXPECT_EQ(at[43], QPoint(346, 2)); // the 44th
    EXPECT_EQ(at[44], QPoint(2, 15));  // the 45th would start at 354 > 350
    EXPECT_EQ(at[45], QPoint(10, 15));
}

TEST(PreviewLayout, NarrowCharactersWrapByTheWidthOfW) {
    // Characters 4 wide in a font whose "W" is 10: a line ends once x passes 360 - 10 - 2.
    const std::vector<TPreviewGlyph> glyphs(100, TPreviewGlyph{4, 10, 16});
    const std::vector<QPoint> at = layoutPreview(glyphs, 360);
    EXPECT_EQ(at[86], QPoint(346, 2));
    EXPECT_EQ(at[87], QPoint(2, 18)); // 350 > 348
}

// The editing commands of the main window through the real dialog.
class BlockEditingTest : public AppFixture {};

TEST_F(BlockEditingTest, AddNewWithCodeButtons) {
    // The same dialog opens once per block: every step acts without running the event loop,
    // so that the next step is served only by the next opening.
    ModalScript script;
    script
        .expect<TBEDlg>([](TBEDlg* dialog) {
            QTest::mouseClick(dialog->BitBtn3, Qt::LeftButton);
            QTest::keyClicks(dialog->Edit1, "GO");
            QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
            QTest::keyClicks(dialog->Edit1, "!");
            QTest::mouseClick(dialog->CheckBox1, Qt::LeftButton);
            QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        })
        .expect<TBEDlg>([](TBEDlg* dialog) {
            QTest::keyClicks(dialog->Edit1, "two");
            QTest::mouseClick(dialog->BitBtn4, Qt::LeftButton);
            QTest::keyClick(dialog->Edit1, Qt::Key_Return);
        })
        .expect<TBEDlg>([](TBEDlg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    form().AddNew1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines(), (std::vector<std::string>{"Centered,^G^GO^F^!", "Centered,two^Y^"}));
    EXPECT_EQ(title(), "Lumavane Message Editor V1.0 -- [new file] *");
}

TEST_F(BlockEditingTest, EditSelectionReplacesTheSelectedTextWithACode) {
    load({"NotCentered,one", "NotCentered,RED SALE", "NotCentered,three"});
    form().ListBox1->SetItemIndex(1);
    ModalScript script;
    script.expect<TBEDlg>([](TBEDlg* dialog) {
        dialog->Edit1->setSelection(0, 3); // "RED"
        QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
        waitFor([dialog] { return dialog->Edit1->text() == "^R^ SALE"; });
        QTest::keyClick(dialog->Edit1, Qt::Key_Return);
    });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines()[1], "NotCentered,^R^ SALE");
    EXPECT_EQ(form().ListBox1->ItemIndex(), 1);
    EXPECT_EQ(title().substr(title().size() - 2), " *");
}

TEST_F(BlockEditingTest, CancelAfterChangesKeepsTheEntryAndTheFlag) {
    load({"Centered,^Y^KEEP"});
    form().ListBox1->SetItemIndex(0);
    ModalScript script;
    script.expect<TBEDlg>([](TBEDlg* dialog) {
        QTest::mouseClick(dialog->BitBtn2, Qt::LeftButton);
        QTest::keyClicks(dialog->Edit1, "gone");
        dialog->CheckBox1->setChecked(false);
        dialog->close(); // the close box
    });
    press(Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(lines()[0], "Centered,^Y^KEEP");
    EXPECT_EQ(title().back(), 'm');
    EXPECT_EQ(form().EditBlock().Text, "^Y^KEEP");
}

} // namespace
