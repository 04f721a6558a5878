#include "editor/printing.h"

#include "editor/colour_letters.h"
#include "editor/print_layout.h"
#include "model/block.h"
#include "model/colour_runs.h"
#include "model/ui/text_codec.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <cmath>
#include <stdexcept>

namespace {

constexpr int kListFontPixels = 22; // the list window's character height at 96 dpi

QString printerDescription(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName().isEmpty()
               ? QCoreApplication::translate("TPrinting", "the default printer")
               : printer.printerName();
}

// `what` names the printer as %1.
[[noreturn]] void fail(const char* what, const QPrinter& printer) {
    throw std::runtime_error(QCoreApplication::translate("TPrinting", what)
                                 .arg(printerDescription(printer))
                                 .toStdString());
}

// Brings the dialog in line with the printer each time it is shown, after the dialog has
// refreshed its controls from its options:
// - the print range group goes: the dialog leaves "Pages from ... to" enabled even without the
//   page range option;
// - a printer that writes a file keeps "Print to File (PDF)" chosen. The dialog would choose
//   the machine's default printer instead, so a file chosen in Print Setup would be printed on
//   paper by the next Print.
class PrintDialogAdjuster : public QObject {
public:
    PrintDialogAdjuster(bool toFile, QObject* parent)
        : QObject(parent)
        , toFile_(toFile) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* range = watched->findChild<QWidget*>(QStringLiteral("gbPrintRange")))
                range->hide();
            auto* printers = watched->findChild<QComboBox*>(QStringLiteral("printers"));
            // The file entry is the list's last one.
            if (printers && printers->count() > 0 && toFile_)
                printers->setCurrentIndex(printers->count() - 1);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool toFile_;
};

// `toFile`: the printer wrote a file before the dialog was made (making it resets the printer
// to the dialog's first choice).
void adjustDialog(QPrintDialog& dialog, QPrinter& printer, bool toFile) {
    // Every line is printed: no page range, no selection, no current page.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.installEventFilter(new PrintDialogAdjuster(toFile, &dialog));
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
}

} // namespace

QFont listingFont() {
    // 22 px at 96 dpi is 16.5 pt; printers take whole points and round it to 17.
    const int points = static_cast<int>(std::lround(kListFontPixels * 72.0 / 96.0));
    QString family = QStringLiteral("System");
    if (!QFontDatabase::hasFamily(family))
        family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPointSize(points);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // A listing shows every stored character as itself: no ligatures ("fi" stays two letters).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QString listingJobName(const std::string& fileName) {
    return QStringLiteral("LUMAVANE - ") + pathToQString(fileName);
}

namespace {

// A line of the listing with its colours as letters: its head as it stands, then the plain
// text, each colour run with its mark before it, in the painter's font and pen.
void drawLetteredLine(QPainter& painter, const std::string& line, int top) {
    const TLineSplit split = splitBlockLine(line);
    const QFontMetrics metrics = painter.fontMetrics();
    const int baseline = top + metrics.ascent();
    if (!split.hasHead()) {
        painter.drawText(0, baseline, toQString(line));
        return;
    }
    const QString head = toQString(std::string(split.head));
    painter.drawText(0, baseline, head);
    int x = metrics.horizontalAdvance(head);
    std::string plain;
    TColourArray colours{};
    TFlashArray flash{};
    ExpandMarkup(std::string(split.text.substr(0, kMaxBlockText)), plain, colours, flash);
    const QString characters = toQString(plain);
    for (const TColourRun& run : colourRuns(plain.size(), colours, flash)) {
        x += drawColourLetter(painter, painter.font(), run.colour, run.flash, QPoint(x, top),
                              painter.pen().color());
        const QString text =
            characters.mid(static_cast<qsizetype>(run.begin), static_cast<qsizetype>(run.length));
        painter.drawText(x, baseline, text);
        x += metrics.horizontalAdvance(text);
    }
}

} // namespace

void printListing(QPrinter& printer, const std::vector<std::string>& lines,
                  const std::string& fileName) {
    if (lines.empty())
        return;
    printer.setDocName(listingJobName(fileName));
    QPainter painter;
    if (!painter.begin(&printer))
        fail(QT_TRANSLATE_NOOP("TPrinting", "Cannot start printing on %1"), printer);
    painter.setFont(listingFont());
    painter.setPen(Qt::black);
    // Measured on the printer, whose resolution sets the size of a point in pixels.
    const QFontMetrics metrics = painter.fontMetrics();
    const QString name = pathToQString(fileName);
    const TPrintGeometry geometry{printer.width(), printer.height(),
                                  metrics.size(Qt::TextSingleLine, QStringLiteral("D")).height()};
    // The header texts are the file's path and "Page N".
    const TTextWidth textWidth = [&](const std::string& text) {
        return metrics.horizontalAdvance(pathToQString(text));
    };
    // Texts stand with their top-left corner at the given point.
    const auto drawAt = [&](int x, int top, const QString& text) {
        painter.drawText(x, top + metrics.ascent(), text);
    };

    const std::vector<TPrintedPage> pages =
        layoutListing(static_cast<int>(lines.size()), fileName, geometry, textWidth);
    for (const TPrintedPage& page : pages) {
        // A new page only when a line goes on it: the listing never ends with a blank page.
        if (page.Number > 1 && !printer.newPage())
            fail(QT_TRANSLATE_NOOP("TPrinting", "Cannot start a new page on %1"), printer);
        drawAt(page.NameLeft, 0, name);
        drawAt(page.NumberLeft, 0, QString::fromStdString(page.NumberText));
        for (const TPrintedLine& line : page.Lines) {
            const std::string& text = lines[static_cast<std::size_t>(line.Index)];
            if (colourLettersShown())
                drawLetteredLine(painter, text, line.Top);
            else
                drawAt(0, line.Top, toQString(text));
        }
    }
    if (!painter.end())
        fail(QT_TRANSLATE_NOOP("TPrinting", "Cannot finish printing on %1"), printer);
}

bool execPrintDialog(QPrinter& printer, QWidget* parent) {
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    QPrintDialog dialog(&printer, parent);
    adjustDialog(dialog, printer, toFile);
    return dialog.exec() != QDialog::Rejected;
}

bool execPrintSetupDialog(QPrinter& printer, QWidget* parent) {
    // The print dialog in a set-up role: it offers the choice of printer and, through its
    // properties, the paper, orientation and margins, and keeps them in the printer; it
    // prints nothing.
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QPrintDialog::tr("Print Setup"));
    adjustDialog(dialog, printer, toFile);
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QDialogButtonBox::tr("OK"));
    }
    return dialog.exec() != QDialog::Rejected;
}
