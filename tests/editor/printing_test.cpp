#include "editor/printing.h"
#include "support/gui/app_fixture.h"
#include "support/gui/modal.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <algorithm>
#include <sstream>

namespace {

// Runs one of poppler's tools and returns what it printed.
std::string runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput().toStdString();
}

struct PdfInfo {
    int pages = 0;
    std::string title;
};

PdfInfo pdfInfo(const std::string& pdf) {
    PdfInfo info;
    std::istringstream out(runTool("pdfinfo", {QString::fromStdString(pdf)}));
    for (std::string line; std::getline(out, line);) {
        if (line.rfind("Pages:", 0) == 0)
            info.pages = std::stoi(line.substr(6));
        if (line.rfind("Title:", 0) == 0)
            info.title = line.substr(line.find_first_not_of(' ', 6));
    }
    return info;
}

// The text of each page, each page's lines with trailing blanks removed and empty ones dropped.
std::vector<std::vector<std::string>> pdfPages(const std::string& pdf) {
    const std::string text = runTool("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    std::vector<std::vector<std::string>> pages(1);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && line.front() == '\f') {
            pages.emplace_back();
            line.erase(0, 1);
        }
        line.erase(line.find_last_not_of(' ') + 1);
        if (!line.empty())
            pages.back().push_back(line);
    }
    while (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

// The top of every word on the first page, in PDF points, in reading order.
std::vector<std::pair<std::string, double>> wordTops(const std::string& pdf) {
    const std::string html =
        runTool("pdftotext", {"-bbox", "-f", "1", "-l", "1", QString::fromStdString(pdf), "-"});
    std::vector<std::pair<std::string, double>> words;
    std::size_t at = 0;
    while ((at = html.find("<word ", at)) != std::string::npos) {
        const std::size_t yMin = html.find("yMin=\"", at) + 6;
        const std::size_t open = html.find('>', at) + 1;
        const std::size_t close = html.find("</word>", open);
        words.emplace_back(html.substr(open, close - open), std::stod(html.substr(yMin)));
        at = close;
    }
    return words;
}

class PrintingTest : public AppFixture {
protected:
    // The window's printer writes PDF files into the test's directory, never to a queue.
    std::string printTo(const std::string& name) {
        const std::string pdf = dir.file(name);
        QPrinter& printer = form().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        return pdf;
    }
    // Presses Ctrl+P and confirms the print dialog as a user would.
    void printWithCtrlP() {
        ModalScript script;
        script.expect<QPrintDialog>([](QPrintDialog* dialog) { confirm(dialog); });
        press(Qt::Key_P, Qt::ControlModifier);
        ASSERT_TRUE(script.wait()) << script.pending();
    }
    static void confirm(QPrintDialog* dialog) {
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    }
    static std::vector<std::string> numbered(int count) {
        std::vector<std::string> lines;
        for (int n = 1; n <= count; ++n)
            lines.push_back("NotCentered,line " + std::to_string(n) + " end");
        return lines;
    }
    // The number of body lines on a page of `pdf` (the header is its first text line).
    static int bodyLines(const std::vector<std::string>& page) {
        return static_cast<int>(std::count_if(page.begin(), page.end(), [](const std::string& l) {
            return l.find("NotCentered,line ") != std::string::npos;
        }));
    }
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(PrintingTest, PrintsEveryLineAsStoredUnderAHeaderOnEachPage) {
    std::vector<std::string> content = numbered(70);
    content[1] = "Centered,^R^OPEN ^G^7 DAYS";
    content[2] = "NotCentered,Caf\xE9 ^F^na\xEFve";
    load(content);
    const std::string pdf = printTo("listing.pdf");
    printWithCtrlP();

    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.title, "LUMAVANE - " + dir.file("loaded.lsm"));
    const auto pages = pdfPages(pdf);
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(static_cast<int>(pages.size()), info.pages);
    for (std::size_t p = 0; p < pages.size(); ++p) {
        ASSERT_FALSE(pages[p].empty()) << "page " << p + 1;
        const std::string& header = pages[p].front();
        EXPECT_TRUE(contains(header, dir.file("loaded.lsm"))) << header;
        EXPECT_TRUE(contains(header, "Page " + std::to_string(p + 1))) << header;
        // The page number stands to the right of the name.
        EXPECT_GT(header.find("Page "), header.find("loaded.lsm")) << header;
    }
    // Every line once, in list order, markup and head included; the 8-bit characters as such.
    std::vector<std::string> body;
    for (const auto& page : pages)
        body.insert(body.end(), page.begin() + 1, page.end());
    ASSERT_EQ(body.size(), content.size());
    EXPECT_EQ(body[1], "Centered,^R^OPEN ^G^7 DAYS");
    EXPECT_EQ(body[2], "NotCentered,Caf\xC3\xA9 ^F^na\xC3\xAFve");
    EXPECT_EQ(body[69], "NotCentered,line 70 end");

    // Page capacity: the n-th line of a page stands at n * (h + 10) and must keep
    // y + h + 30 within the page height, with h the height of "D" on the printer.
    QPrinter& printer = form().Printer();
    const int h = QFontMetrics(listingFont(), &printer).size(Qt::TextSingleLine, "D").height();
    const int capacity = (printer.height() - h - 30) / (h + 10);
    EXPECT_EQ(static_cast<int>(pages[0].size()) - 1, capacity);
}

TEST_F(PrintingTest, LastLineFillingItsPageLeavesNoBlankPage) {
    load(numbered(200));
    printTo("probe.pdf");
    printWithCtrlP();
    const auto probe = pdfPages(dir.file("probe.pdf"));
    ASSERT_GE(probe.size(), 2u);
    const int capacity = bodyLines(probe[0]);
    ASSERT_GT(capacity, 1);

    const struct {
        int lines;
        int pages;
    } cases[] = {{capacity, 1}, {capacity + 1, 2}, {2 * capacity, 2}};
    for (const auto& c : cases) {
        load(numbered(c.lines));
        const std::string pdf = printTo("fill" + std::to_string(c.lines) + ".pdf");
        printWithCtrlP();
        EXPECT_EQ(pdfInfo(pdf).pages, c.pages) << c.lines << " lines";
        const auto pages = pdfPages(pdf);
        ASSERT_EQ(static_cast<int>(pages.size()), c.pages) << c.lines << " lines";
        EXPECT_TRUE(contains(pages.back().front(), "Page " + std::to_string(c.pages)));
        EXPECT_EQ(bodyLines(pages.back()), c.lines - (c.pages - 1) * capacity);
    }
}

TEST_F(PrintingTest, UntitledListPrintsNewFileAsHeaderAndJobName) {
    form().Lines().SetLines({"NotCentered,A"});
    const std::string pdf = printTo("untitled.pdf");
    printWithCtrlP();
    EXPECT_EQ(pdfInfo(pdf).title, "LUMAVANE - [new file]");
    const auto pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1u);
    ASSERT_EQ(pages[0].size(), 2u);
    EXPECT_TRUE(contains(pages[0][0], "[new file]")) << pages[0][0];
    EXPECT_TRUE(contains(pages[0][0], "Page 1")) << pages[0][0];
    EXPECT_EQ(pages[0][1], "NotCentered,A");
}

TEST_F(PrintingTest, EmptyLineAdvancesByOneLinePitch) {
    load({"NotCentered,first", "", "NotCentered,third"});
    const std::string pdf = printTo("gap.pdf");
    printWithCtrlP();
    double header = -1, first = -1, third = -1;
    for (const auto& [word, top] : wordTops(pdf)) {
        if (word == "Page")
            header = top;
        if (word == "NotCentered,first")
            first = top;
        if (word == "NotCentered,third")
            third = top;
    }
    ASSERT_GE(header, 0);
    ASSERT_GT(first, header);
    // Header at 0, lines at one, two and three pitches: the empty line keeps its place.
    const double pitch = first - header;
    EXPECT_NEAR(third - first, 2 * pitch, 0.5);
}

TEST_F(PrintingTest, EmptyListOrCancelPrintsNothing) {
    // An empty list still shows the dialog; after OK nothing is printed.
    const std::string empty = printTo("empty.pdf");
    printWithCtrlP();
    EXPECT_FALSE(fileExists(empty));

    load({"NotCentered,A"});
    const std::string cancelled = printTo("cancelled.pdf");
    ModalScript script;
    script.expect<QPrintDialog>([](QPrintDialog* dialog) {
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    press(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_FALSE(fileExists(cancelled));
}

TEST_F(PrintingTest, PrintDialogOffersNoRangeOrSelection) {
    load({"NotCentered,A"});
    printTo("options.pdf");
    QPrintDialog::PrintDialogOptions seen;
    QStringList rangeChoices;
    ModalScript script;
    script.expect<QPrintDialog>([&](QPrintDialog* dialog) {
        seen = dialog->options();
        // What the user can reach with "Options >>": no print range choice is visible there.
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text().startsWith("&Options"))
                QTest::mouseClick(button, Qt::LeftButton);
        }
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (w->isVisible() && (qobject_cast<QRadioButton*>(w) || qobject_cast<QSpinBox*>(w)) &&
                w->isEnabled())
                rangeChoices << w->objectName();
        }
        dialog->reject();
    });
    press(Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_FALSE(seen.testFlag(QAbstractPrintDialog::PrintPageRange));
    EXPECT_FALSE(seen.testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(seen.testFlag(QAbstractPrintDialog::PrintCurrentPage));
    for (const char* name :
         {"printRange", "from", "to", "pagesRadioButton", "printSelection", "printCurrentPage"})
        EXPECT_FALSE(rangeChoices.contains(name)) << name;
    // The options part was opened: its copies field is there to be seen.
    EXPECT_TRUE(rangeChoices.contains("copies")) << rangeChoices.join(",").toStdString();
}

TEST_F(PrintingTest, PrintSetupChoiceIsWhatPrintUses) {
    load({"NotCentered,A"});
    const std::string before = printTo("before.pdf");
    const std::string chosen = dir.file("chosen.pdf");
    QString caption;
    ModalScript script;
    script.expect<QPrintDialog>([&](QPrintDialog* dialog) {
        caption = dialog->windowTitle();
        auto* file = dialog->findChild<QLineEdit*>("filename");
        ASSERT_NE(file, nullptr);
        file->selectAll();
        QTest::keyClicks(file, QString::fromStdString(chosen));
        confirm(dialog);
    });
    form().PrintSetup1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(caption, "Print Setup");
    // Set-up prints nothing.
    EXPECT_FALSE(fileExists(chosen));

    printWithCtrlP();
    EXPECT_FALSE(fileExists(before));
    EXPECT_EQ(pdfInfo(chosen).pages, 1);
}

TEST_F(PrintingTest, TestsSeeNoPrinterOfTheMachine) {
    // Whatever printers the machine has, a test can only print into its own files.
    EXPECT_EQ(QPrinterInfo::availablePrinterNames().join(", ").toStdString(), "");
    EXPECT_EQ(QPrinterInfo::defaultPrinterName().toStdString(), "");
    QStringList offered;
    ModalScript script;
    script.expect<QPrintDialog>([&offered](QPrintDialog* dialog) {
        if (auto* printers = dialog->findChild<QComboBox*>("printers")) {
            for (int i = 0; i < printers->count(); ++i)
                offered << printers->itemText(i);
        }
        dialog->reject();
    });
    form().PrintSetup1->trigger();
    ASSERT_TRUE(script.wait()) << script.pending();
    EXPECT_EQ(offered.join(", ").toStdString(), "Print to File (PDF)");
}

TEST_F(PrintingTest, PrinterThatCannotStartTheDocumentIsAnError) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("missing/out.pdf")));
    EXPECT_THROW(printListing(printer, {"NotCentered,A"}, "[new file]"), std::runtime_error);
    // Nothing to print asks nothing of the printer.
    EXPECT_NO_THROW(printListing(printer, {}, "[new file]"));
}

} // namespace
