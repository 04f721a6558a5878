#include "app/command_line.h"

#include "app/main_form.h"
#include "model/ui/text_codec.h"
#include "widgets/run_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace {

// `path` made absolute against `folder`, with its "." parts dropped. ".." parts are kept: over a
// symbolic link they do not mean the folder that the name before them stands in.
std::string absolutePath(const std::string& path, const std::string& folder) {
    const std::string whole = !path.empty() && path.front() == '/' ? path : folder + "/" + path;
    std::string result;
    std::size_t pos = 0;
    while (pos <= whole.size()) {
        std::size_t slash = whole.find('/', pos);
        if (slash == std::string::npos)
            slash = whole.size();
        const std::string part = whole.substr(pos, slash - pos);
        if (!part.empty() && part != ".")
            result += "/" + part;
        pos = slash + 1;
    }
    return result.empty() ? "/" : result;
}

} // namespace

bool isFileOfThisMachine(const QUrl& url) {
    // A file: URL that names another host is that host's file, not a path here.
    return url.isLocalFile() && !url.toLocalFile().isEmpty() &&
           (url.host().isEmpty() || url.host().compare("localhost", Qt::CaseInsensitive) == 0);
}

TCommandLine parseCommandLine(const QStringList& arguments, const std::string& currentFolder) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Lumavane Static Message Editor: composes the messages of a "
                                     "three-colour LED sign and sends them to it.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("FILE", "The message file (.lsm) to open.", "[FILE]");

    TCommandLine result;
    if (!parser.parse(arguments)) {
        result.exitStatus = 2;
        result.output = "lumavane: " + parser.errorText().toStdString() + "\n";
        return result;
    }
    if (parser.isSet(help) || parser.isSet("help-all")) {
        result.exitStatus = 0;
        result.output = parser.helpText().toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.exitStatus = 0;
        result.output =
            QString("%1 %2\n")
                .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion())
                .toStdString();
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.exitStatus = 2;
        result.output = "lumavane: one message file at a time (" + std::to_string(files.size()) +
                        " were given)\n";
        return result;
    }
    if (files.size() == 1) {
        const QString& given = files.front();
        if (given.startsWith("file:", Qt::CaseInsensitive)) {
            const QUrl url(given);
            if (!isFileOfThisMachine(url)) {
                result.exitStatus = 2;
                result.output = "lumavane: not a local file: " + given.toStdString() + "\n";
                return result;
            }
            result.file = absolutePath(pathFromQString(url.toLocalFile()), currentFolder);
        } else if (!given.isEmpty()) {
            result.file = absolutePath(pathFromQString(given), currentFolder);
        }
    }
    return result;
}

void openFileAtStart(TForm1& form, const std::string& path) {
    QPointer<TForm1> target(&form);
    QTimer::singleShot(0, &form, [target, path] {
        if (target)
            runCommand([&] { target->OpenFile(path); });
    });
}
