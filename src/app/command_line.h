#pragma once

#include <QStringList>

#include <optional>
#include <string>

class QUrl;
class TForm1;

// What the editor was started with: `lumavane [FILE]`.
struct TCommandLine {
    // The message file to open at start, as an absolute path.
    std::optional<std::string> file;
    // Set when the program is to end at once with this status (--help, --version, a wrong
    // command line), after printing `output` (standard output for 0, standard error otherwise).
    std::optional<int> exitStatus;
    std::string output;
};

// Reads the program's arguments (the program's name first; the toolkit's own options already
// taken out). FILE may be a path, relative to `currentFolder` or absolute, or a file: URL as a
// desktop may hand it over.
TCommandLine parseCommandLine(const QStringList& arguments, const std::string& currentFolder);

// Whether `url` names a file on this machine (file:, without a host or with "localhost").
bool isFileOfThisMachine(const QUrl& url);
// The bytes of the path of a file: URL, also of a name that is not UTF-8.
std::string localFilePath(const QUrl& url);

// The program's arguments as parseCommandLine takes them, each turning back into its very
// bytes (model/ui/text_codec.h), so that a file name that is not UTF-8 stays the file's name.
QStringList argumentsOf(int argc, char** argv);

// Tells why the command line is refused: on standard error, and, when the program was started
// without a terminal (from a file manager or a menu), in a message box as well.
void tellRefusal(const std::string& output, bool hasTerminal);

// Opens `path` in `form` once the event loop runs, as Open would: an error is reported and the
// window goes on with an empty list. A file that does not exist yet in a folder that does
// starts an empty message under its name.
void openFileAtStart(TForm1& form, const std::string& path);
