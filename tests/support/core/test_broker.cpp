#include "support/core/test_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

std::string program(const char* name) {
    for (const char* dir : {"/usr/sbin/", "/usr/bin/", "/usr/local/sbin/", "/usr/local/bin/"}) {
        const std::string path = std::string(dir) + name;
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return {};
}

// Starts `argv` with its output going to `log`; its process id.
pid_t spawn(std::vector<std::string> argv, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool up = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

} // namespace

std::string TestBroker::missing() {
    if (program("mosquitto").empty() || program("mosquitto_passwd").empty())
        return "mosquitto is not installed (Debian: apt-get install mosquitto)";
    return {};
}

TestBroker::TestBroker(const std::vector<User>& users) {
    std::string acl;
    for (const User& user : users) {
        std::vector<std::string> add = {program("mosquitto_passwd"), "-b", file("passwords"),
                                        user.name, user.password};
        if (&user == &users.front())
            add.insert(add.begin() + 1, "-c");
        int status = 0;
        if (::waitpid(spawn(add, file("passwd.log")), &status, 0) < 0 || status != 0)
            throw std::runtime_error("mosquitto_passwd failed: " +
                                     readFileBytes(file("passwd.log")));
        acl += "user " + user.name + "\n";
        for (const std::string& line : user.acl)
            acl += line + "\n";
        acl += "\n";
    }
    writeFileBytes(file("acl"), acl);
    port_ = freePort();
    // Started as root, the broker would become the user "mosquitto", who cannot read the files.
    const passwd* self = ::getpwuid(::geteuid());
    writeFileBytes(file("mosquitto.conf"),
                   "listener " + std::to_string(port_) + " 127.0.0.1\n" +
                       "allow_anonymous false\npersistence false\n" + "password_file " +
                       file("passwords") + "\nacl_file " + file("acl") + "\n" +
                       (self ? "user " + std::string(self->pw_name) + "\n" : ""));
    start();
}

TestBroker::~TestBroker() {
    stop();
}

std::string TestBroker::url() const {
    return "mqtt://127.0.0.1:" + std::to_string(port_);
}

void TestBroker::start() {
    if (pid_ > 0)
        return;
    pid_ = spawn({program("mosquitto"), "-c", file("mosquitto.conf")}, file("broker.log"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!listening(port_)) {
        if (std::chrono::steady_clock::now() > deadline || ::waitpid(pid_, nullptr, WNOHANG) != 0)
            throw std::runtime_error("the broker did not start: " +
                                     readFileBytes(file("broker.log")));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TestBroker::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
