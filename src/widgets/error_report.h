#pragma once

#include <QString>

#include <exception>

class QWidget;

// How the program tells the user of an error, of every window the same way: a box captioned
// with the program's title over the window the user works in, with the message as it stands
// (what failed, then the reason on a line of its own: base/error_text.h), and a timestamped line
// in the error log.

// "Lumavane Static Message Editor": the name under which the running program is shown.
QString programTitle();

// How the box looks: an error of a command, a warning, or the plain box of an ended send.
enum class TReportLook { Error, Warning, Plain };

// Logs `message` and shows it in a box over `parent` (no parent: over no window).
void reportError(const QString& message, QWidget* parent = nullptr,
                 TReportLook look = TReportLook::Error);
void reportError(const std::exception& error, QWidget* parent = nullptr,
                 TReportLook look = TReportLook::Error);

// Only logs it: for an error met when no window is left to show it in, and for a note kept
// beside one the user is told in another way.
void logError(const QString& message);
void logError(const std::exception& error);

// errors.log in the program's state directory (base/state_dir.h).
QString errorLogPath();
