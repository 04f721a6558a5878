#include "support/desktop/print_server.h"

#include <filesystem>

PrivatePrintServer::PrivatePrintServer(const TempDir& dir)
    : root_(dir.file("print")) {
    if (!programExists("cupsd") || !programExists("lpstat")) {
        error_ = "no print server is installed (cups)";
        return;
    }
    for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd"})
        std::filesystem::create_directories(root_ + "/" + sub);
    socket_ = root_ + "/cups.sock";
    writeFileBytes(root_ + "/cups-files.conf",
                   "ServerRoot " + root_ + "\nRequestRoot " + root_ + "/spool\nTempDir " + root_ +
                       "/tmp\nCacheDir " + root_ + "/cache\nStateDir " + root_ +
                       "/state\nAccessLog " + root_ + "/log/access_log\nErrorLog " + root_ +
                       "/log/error_log\nPageLog " + root_ +
                       "/log/page_log\nFileDevice Yes\nSandboxing Relaxed\n");
    writeFileBytes(root_ + "/cupsd.conf", "Listen " + socket_ +
                                              "\nBrowsing Off\nWebInterface No\nLogLevel warn\n"
                                              "<Location />\nOrder allow,deny\nAllow all\n"
                                              "</Location>\n");
    writeFileBytes(root_ + "/printers.conf", "<DefaultPrinter Office>\nInfo Office printer\n"
                                             "DeviceURI file:///dev/null\nState Idle\n"
                                             "Accepting Yes\nShared No\n</DefaultPrinter>\n");
    env_.set("CUPS_SERVER", socket_);
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{"cupsd", "-f", "-c",
                                                                      root_ + "/cupsd.conf", "-s",
                                                                      root_ + "/cups-files.conf"},
                                             env_, root_ + "/log/cupsd.out");
    const bool up = waitUntil(
        [this] {
            return runTool({"lpstat", "-d"}, env_).out.find("Office") != std::string::npos;
        },
        std::chrono::seconds(10));
    if (!up) {
        error_ = "the private print server did not start";
        const std::string log = root_ + "/log/error_log";
        if (fileExists(log))
            error_ += ": " + readFileBytes(log);
    }
}

PrivatePrintServer::~PrivatePrintServer() {
    server_.reset();
}

std::string PrivatePrintServer::jobs() {
    return runTool({"lpstat", "-W", "all", "-o"}, env_).out;
}
