// lumavane-send: sends a message file to one sign or to several, from a script or a timer,
// exactly as the editor's Send Message (F9) sends it.

#include "schedule_options.h"
#include "schedule_run.h"

#include "base/error_text.h"
#include "base/whole_number.h"
#include "common/stream_listing.h"
#include "files/file_errors.h"
#include "files/file_names.h"
#include "files/whole_file.h"
#include "fleet/gateway_settings.h"
#include "fleet/multi_send.h"
#include "fleet/schedule_pass.h"
#include "fleet/sign_choice.h"
#include "model/message_file.h"
#include "settings/settings_path.h"
#include "sign/control_bytes.h"
#include "sign/send_address.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* kProgram = "lumavane-send";

const char* kDescription =
    "Sends a message file (.lsm) to the sign as the editor's Send Message (F9) does: the same\n"
    "records, serial runs and waits, and network write. The link is the settings file's\n"
    "[Comm] section unless signs are named; --port, --baud, --device and --host change it for\n"
    "this run only. Signs whose section names a Gateway= are reached through the broker of the\n"
    "[Gateway] section. One line per sign tells its name, link, bytes sent and result.\n"
    "\n"
    "Exit status: 0 every sign took every byte; 1 signs ended differently (some failed, the\n"
    "others were still sent to); 2 usage error; 3 the message file cannot be read; 4 a link\n"
    "could not be opened (a gateway offline or silent, a broker that refuses); 5 a send broke\n"
    "off or timed out; 130 or 143 stopped by SIGINT or SIGTERM.";

// A command line that cannot be used: told with the usage hint, exit status 2.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string file;
    std::optional<int> line;
    std::optional<int> width;
    TSignRequest signs;
    std::size_t connections = kDefaultMaxConnections;
    bool dryRun = false;
    bool hex = false;
    bool quiet = false;
    TModeOptions modes;
};

// `message` on one line: its first line break (between what failed and why) becomes ": ",
// any other a space.
std::string oneLineMessage(const std::string& message) {
    std::string text = message;
    const std::size_t end = text.find('\n');
    if (end != std::string::npos)
        text.replace(end, 1, ": ");
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

void tell(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, oneLineMessage(message).c_str());
}

// The platform's code of the first write to standard output that failed; 0 while none has.
int outError = 0;

void noteOutError() {
    if (outError == 0)
        outError = errno != 0 ? errno : EIO;
}

bool writeOut(std::string_view bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    if (!written)
        noteOutError();
    return written;
}

// Flushes standard output; false, after telling it on standard error, when what was written to
// it (`what`) did not all get there.
bool flushOut(const char* what) {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && outError == 0)
        return true;
    noteOutError();
    tell(std::string("Cannot write ") + what + " to standard output: " + std::strerror(outError) +
         ".");
    return false;
}

// What --port takes, in the help, the manual page and the error alike.
const char* kPortValues = "1 to 4 a serial port, 5 to 65535 the network";

// The whole number of `option` from `low` to `high`; `values` says what it takes where the
// bounds alone do not.
int wholeNumber(const QCommandLineParser& parser, const QCommandLineOption& option, long long low,
                long long high, const char* values = nullptr) {
    const QString name = option.names().constLast();
    const std::string text = parser.value(option).toStdString();
    const std::optional<long long> value = parseWholeNumber(text, TNumberForm::Signed);
    if (!value || *value < low || *value > high)
        throw EUsage("--" + name.toStdString() + " takes " +
                     (values ? std::string(values) + ";"
                             : "a whole number from " + std::to_string(low) + " to " +
                                   std::to_string(high) + ",") +
                     " not \"" + text + "\"");
    return static_cast<int>(*value);
}

// The bytes of an argument made by argumentsOf.
std::string argumentBytes(const QString& argument) {
    return fileNameFromUtf16(argument.toStdU16String());
}

// The program's arguments, each of which turns back into its very bytes (argumentBytes): a
// file name need not be UTF-8.
QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromStdU16String(fileNameToUtf16(argv[i]));
    return arguments;
}

Options parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption line({"l", "line"}, "Start line address S, 0 to 99.", "S");
    const QCommandLineOption width({"w", "width"}, "Width of a sign line, 1 to 999.", "W");
    const QCommandLineOption port("port", QStringLiteral("Port N: %1.").arg(kPortValues), "N");
    const QCommandLineOption baud("baud", "Serial line speed in bits per second.", "B");
    const QCommandLineOption device("device", "Serial device, for example /dev/ttyUSB0.", "PATH");
    const QCommandLineOption host("host", "The sign's network address, ADDR or ADDR:PORT.", "ADDR");
    const QCommandLineOption sign({"s", "sign"},
                                  "Send to the sign of section [Sign NAME] (repeatable).", "NAME");
    const QCommandLineOption allSigns({"a", "all-signs"}, "Send to every [Sign NAME].");
    const QCommandLineOption connections("connections",
                                         "Network signs sent to at once, 1 to 1024 (default " +
                                             QString::number(kDefaultMaxConnections) + ").",
                                         "N");
    const QCommandLineOption dryRun({"n", "dry-run"},
                                    "Write the stream to standard output; open no link.");
    const QCommandLineOption hex("hex", "With --dry-run: an annotated hex dump, a record a line.");
    const QCommandLineOption quiet({"q", "quiet"},
                                   "No progress and no line for a sign that was sent.");
    parser.addOptions(
        {line, width, port, baud, device, host, sign, allSigns, connections, dryRun, hex, quiet});
    const TModeCommandLine modeLine;
    modeLine.add(parser);
    parser.addPositionalArgument("FILE.lsm", "The message file to send.");

    if (!parser.parse(arguments))
        throw EUsage(parser.errorText().toStdString());
    // Shown here rather than by the parser, which ends with status 0 whether or not the text
    // got out.
    if (parser.isSet(help) || parser.isSet(version)) {
        const bool shown =
            writeOut(parser.isSet(help)
                         ? parser.helpText().toStdString()
                         : std::string(kProgram) + " " +
                               QCoreApplication::applicationVersion().toStdString() + "\n") &&
            flushOut(parser.isSet(help) ? "the help" : "the version");
        std::exit(shown ? kExitSent : kExitSomeFailed);
    }

    Options o;
    try {
        o.modes = modeLine.read(parser);
    } catch (const std::invalid_argument& error) {
        throw EUsage(error.what());
    }
    const QStringList files = parser.positionalArguments();
    if (o.modes.mode != TModeOptions::Mode::Send) {
        if (!files.isEmpty())
            throw EUsage("No message file goes with --schedule, --status, --hold or --release.");
    } else if (files.size() != 1)
        throw EUsage(files.isEmpty() ? "Give the message file to send."
                                     : "Give one message file; more were given.");
    if (!files.isEmpty())
        o.file = argumentBytes(files.constFirst());
    if (parser.isSet(line))
        o.line = wholeNumber(parser, line, kMinStartLine, kMaxStartLine);
    if (parser.isSet(width))
        o.width = wholeNumber(parser, width, kMinLineWidth, kMaxLineWidth);
    if (parser.isSet(port))
        o.signs.change.port = wholeNumber(parser, port, 1, 65535, kPortValues);
    if (parser.isSet(baud))
        o.signs.change.baud = wholeNumber(parser, baud, 1, 4000000);
    if (parser.isSet(device)) {
        o.signs.change.device = argumentBytes(parser.value(device));
        if (o.signs.change.device->empty())
            throw EUsage("--device takes the path of a serial device.");
    }
    if (parser.isSet(host)) {
        o.signs.change.host = parser.value(host).toStdString();
        if (o.signs.change.host->empty())
            throw EUsage("--host takes the sign's network address.");
    }
    for (const QString& name : parser.values(sign))
        o.signs.names.push_back(name.toStdString());
    o.signs.all = parser.isSet(allSigns);
    if (o.signs.all && !o.signs.names.empty())
        throw EUsage("Give --sign or --all-signs, not both.");
    if (parser.isSet(connections))
        o.connections = static_cast<std::size_t>(wholeNumber(parser, connections, 1, 1024));
    o.dryRun = parser.isSet(dryRun);
    o.hex = parser.isSet(hex);
    o.quiet = parser.isSet(quiet);
    if (o.hex && !o.dryRun)
        throw EUsage("--hex goes with --dry-run.");
    return o;
}

int dryRun(const Options& options, const std::vector<TSignJob>& jobs,
           const std::vector<std::string>& lines) {
    for (const TSignJob& job : jobs) {
        TSendBuffer buffer;
        TBlock sendBlock;
        buildSignStream(buffer, sendBlock, lines, job.start, job.width);
        if (!options.hex) {
            if (!writeOut(buffer.bytes()))
                break;
            continue;
        }
        std::string text = "# " + job.name + "\t" + describeJobLink(job) + "\tline " +
                           std::to_string(job.start) + ", width " + std::to_string(job.width) +
                           "\t" + std::to_string(lines.size()) + " records, " +
                           std::to_string(buffer.size()) + " bytes\n";
        for (const std::string& record : hexDumpStream(lines, job.start, job.width))
            text += record + "\n";
        if (!writeOut(text))
            break;
    }
    return flushOut("the stream") ? kExitSent : kExitSomeFailed;
}

int send(const Options& options, const std::vector<TSignJob>& jobs, std::vector<std::string> lines,
         std::optional<std::string> message, const std::optional<TGatewaySettings>& gateway) {
    // Sends to the signs of the settings file go in their ledgers.
    const std::vector<TLedgerMessage> ledgered =
        options.signs.change.namesAPlace()
            ? std::vector<TLedgerMessage>{}
            : oneOffMessages(jobs, lines, options.file, options.modes.fields, "one-off");
    TMultiSend run(jobs, std::move(lines));
    run.MaxConnections = options.connections;
    run.Gateway = gateway;
    run.MessageFile = std::move(message);
    // A first signal stops the run in order; a second one ends the program at once.
    installStopHandlers();
    const std::vector<TSignReport> reports = runSends(run, options.quiet);
    for (const std::string& problem : recordOneOffSends(jobs, ledgered, reports))
        tell("warning: " + problem);
    bool told = true;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string line = reportLine(jobs[i], reports[i]) + "\n";
        if (!options.quiet)
            told = writeOut(line) && told;
        else if (reports[i].state != TSignReport::State::Sent)
            told = std::fputs(line.c_str(), stderr) >= 0 && std::fflush(stderr) == 0 && told;
    }
    if (!flushOut("the result lines"))
        told = false;
    if (stopSignalSeen() != 0)
        return 128 + stopSignalSeen();
    // A script must not take lines that it never got for a success.
    return told ? runExitStatus(reports) : kExitSomeFailed;
}

// The message file's bytes as they are on disk; throws EFOpenError when it cannot be read.
std::string readWholeMessage(const std::string& path) {
    std::string bytes;
    std::string reason;
    if (readRegularFile(path, bytes, reason) != TReadResult::Ok)
        throw EFOpenError(failureText("Cannot open file " + path, reason));
    return bytes;
}

int run(const Options& options) {
    if (options.modes.mode != TModeOptions::Mode::Send) {
        const TModeRun mode{options.modes,       options.signs,  options.line, options.width,
                            options.connections, options.dryRun, options.hex,  options.quiet};
        try {
            checkModeRun(mode);
        } catch (const std::invalid_argument& error) {
            throw EUsage(error.what());
        }
        return runMode(mode);
    }
    const std::string settings = settingsFilePath();
    std::vector<std::string> notes;
    std::vector<TChosenSign> signs;
    TRememberedAddress remembered;
    std::optional<TGatewaySettings> gateway;
    try {
        signs = chooseSigns(settings, options.signs, notes);
        if (needsGateway(signs) && !options.dryRun) {
            gateway = readGatewaySettings(settings);
            // A password file that cannot be used is told before anything is sent.
            brokerOptions(*gateway);
        }
        if (needsRememberedAddress(signs, options.line, options.width)) {
            const std::string store = editorStoreFile(
                QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
            try {
                remembered = readRememberedAddress(store);
            } catch (const std::exception& error) {
                throw EUsage(oneLineMessage(error.what()) +
                             "; give the start line and the width with --line and --width.");
            }
        }
    } catch (const EUsage&) {
        throw;
    } catch (const std::exception& error) {
        tell(error.what());
        return kExitUsage;
    }
    for (const std::string& note : notes)
        tell("warning: " + note);
    if (options.dryRun && !options.hex && signs.size() > 1)
        throw EUsage("--dry-run writes the stream of one sign; add --hex for several.");

    std::vector<std::string> lines;
    // A gateway gets the message file's bytes as they are, unless the fields were filled in.
    std::optional<std::string> message;
    try {
        lines = readMessageToSend(options.file);
        if (options.modes.fields)
            lines = messageToSend(options.file, true, options.modes.at.value_or(momentNow())).lines;
        else if (needsGateway(signs))
            message = readWholeMessage(options.file);
    } catch (const std::exception& error) {
        tell(error.what());
        return kExitBadFile;
    }
    // Sent as they stand, as the editor sends them after asking; said, since the sign reads
    // such bytes as framing or colours.
    for (const std::string& warning : controlByteWarnings(lines))
        tell("warning: " + warning);

    std::vector<TSignJob> jobs;
    for (const TChosenSign& sign : signs)
        jobs.push_back(signJob(sign, options.line, options.width, remembered));
    if (options.dryRun)
        return dryRun(options, jobs, lines);
    return send(options, jobs, std::move(lines), std::move(message), gateway);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    QCoreApplication::setApplicationVersion("1.0");
    try {
        return run(parseOptions(argumentsOf(argc, argv)));
    } catch (const EUsage& error) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgram,
                     error.what(), kProgram);
        return kExitUsage;
    } catch (const std::exception& error) {
        tell(error.what());
        return kExitSomeFailed;
    }
}
