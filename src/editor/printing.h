#pragma once

#include <QFont>

#include <string>
#include <vector>

class QPrinter;
class QWidget;

// The list window's own font as the listing uses it on paper: "System", regular, 22 pixels at
// 96 pixels per inch, that is 16.5 points, which the printer rounds to 17. Where the desktop has
// no "System" face, its plain general face stands in.
QFont listingFont();

// The name under which the listing is shown in the print queue: "LUMAVANE - <file name>".
QString listingJobName(const std::string& fileName);

// Prints `lines` as they are stored (Windows-1252 bytes), one printed line each, under a header
// with `fileName` (a path in the file system's encoding, or "[new file]") and the page number.
// Prints nothing for an empty list. Throws, naming the printer, when it refuses the document.
void printListing(QPrinter& printer, const std::vector<std::string>& lines,
                  const std::string& fileName);

// The print dialog of the Print command: every line is printed, so it offers no page range, no
// selection and no current page. True when the user accepted; the choices are in `printer`.
bool execPrintDialog(QPrinter& printer, QWidget* parent);

// The printer set-up dialog: the choice of printer and its settings, kept in `printer` for the
// next Print. True when the user accepted.
bool execPrintSetupDialog(QPrinter& printer, QWidget* parent);
