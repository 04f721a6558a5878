#include "app/command_line.h"

#include "app/file_commands.h"
#include "app/main_form.h"
#include "files/safe_file.h"
#include "model/ui/text_codec.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <cstdio>

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

std::string localFilePath(const QUrl& url) {
    // The path's bytes as the URL carries them, percent-encoded: a name that is not UTF-8
    // keeps its bytes, where the URL's text would have replaced them.
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

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
            result.file = absolutePath(localFilePath(url), currentFolder);
        } else if (!given.isEmpty()) {
            result.file = absolutePath(pathFromQString(given), currentFolder);
        }
    }
    return result;
}

void openFileAtStart(TForm1& form, const std::string& path) {
    QPointer<TForm1> target(&form);
    QTimer::singleShot(0, &form, [target, path] {
        if (!target)
            return;
        // A name that nothing stands at yet, in a folder that exists: a new message under
        // that name, as text editors start a new file.
        if (newFileCanBeMadeAt(path))
            target->FileCommands().StartNewFile(path);
        else
            runCommand([&] { target->OpenFile(path); });
    });
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << exactQString(argv[i]);
    return arguments;
}

void tellRefusal(const std::string& output, bool hasTerminal) {
    std::fputs(output.c_str(), stderr);
    if (hasTerminal)
        return;
    // Started from a file manager or a menu, nobody reads standard error.
    QString text = pathToQString(output).trimmed();
    if (text.startsWith(QStringLiteral("lumavane: ")))
        text = text.mid(10);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    QMessageBox box(QMessageBox::Critical, programTitle(), text, QMessageBox::Ok);
    box.exec();
}
