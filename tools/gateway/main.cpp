// lumavane-gateway: puts the signs of the computer that they hang on at the broker's service, so
// that lumavane-send and the editor's Send To reach them from anywhere the broker is reached.

#include "gateway_service.h"

#include "fleet/gateway_protocol.h"
#include "fleet/gateway_settings.h"
#include "fleet/sign_choice.h"
#include "settings/settings_path.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

const char* kProgram = "lumavane-gateway";

// Exit statuses.
constexpr int kExitStopped = 0;  // stopped by SIGTERM or SIGINT
constexpr int kExitFailed = 1;   // an unforeseen failure
constexpr int kExitSettings = 2; // the command line, the settings or a file they name

const char* kDescription =
    "Serves the named signs of the settings file ([Sign NAME]) through the MQTT broker of its\n"
    "[Gateway] section: takes their send commands, sends each message with the same sender as\n"
    "lumavane-send, and publishes the results, the signs' states and its own availability.\n"
    "Refuses a settings file that users other than its owner may change, and a password file\n"
    "that they may read. SIGTERM ends it after the sends that have begun.";

std::atomic<int> stopRequests = 0;

extern "C" void stopOnSignal(int) {
    stopRequests.fetch_add(1);
}

void say(const std::string& line) {
    std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
    std::fflush(stderr);
}

std::string configPath(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption config(
        "config", "The settings file (default: the editor's, LUMAVANE.INI).", "FILE");
    parser.addOption(config);
    parser.process(app);
    if (!parser.positionalArguments().isEmpty()) {
        say("takes no file names; give the settings file with --config.");
        std::exit(kExitSettings);
    }
    return parser.isSet(config) ? QFile::encodeName(parser.value(config)).toStdString()
                                : settingsFilePath();
}

// The signs of the file that this computer reaches itself; those of other gateways are left.
std::vector<TChosenSign> ownSigns(const std::string& path) {
    TSignRequest request;
    request.all = true;
    std::vector<std::string> notes;
    std::vector<TChosenSign> signs;
    for (TChosenSign& sign : chooseSigns(path, request, notes)) {
        if (!sign.gateway.empty())
            continue;
        if (const std::string problem = topicNameProblem(sign.name); !problem.empty()) {
            say("the sign \"" + sign.name +
                "\" is not served: its name cannot be a topic level: " + problem + ".");
            continue;
        }
        signs.push_back(std::move(sign));
    }
    for (const std::string& note : notes)
        say("warning: " + note);
    return signs;
}

int run(const std::string& path) {
    if (const std::string problem = settingsFileProblem(path); !problem.empty()) {
        say("refusing the settings file " + path + ": " + problem +
            ". A daemon must not take its settings from a file that other users can change: "
            "make it writable by its owner only (chmod go-w), in a folder that only its owner "
            "may write.");
        return kExitSettings;
    }
    TGatewaySettings settings;
    TBrokerOptions options;
    std::vector<TChosenSign> signs;
    try {
        settings = readGatewaySettings(path);
        options = brokerOptions(settings);
        signs = ownSigns(path);
    } catch (const std::exception& error) {
        say(error.what());
        return kExitSettings;
    }
    if (signs.empty()) {
        say(path + " names no sign of this computer to serve: add a section [Sign NAME] for "
                   "each.");
        return kExitSettings;
    }
    std::string names;
    for (const TChosenSign& sign : signs)
        names += (names.empty() ? "" : ", ") + sign.name;
    say("gateway " + settings.name + " serves " + names + " through " + settings.broker);

    struct sigaction action = {};
    action.sa_handler = stopOnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    TGatewayService service(settings, options, signs, say);
    service.Run(stopRequests);
    say("stopped");
    return kExitStopped;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    QCoreApplication::setApplicationVersion("1.0");
    try {
        return run(configPath(app));
    } catch (const std::exception& error) {
        say(error.what());
        return kExitFailed;
    }
}
