#include "tcp_test_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = fd;
}

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void check(bool ok, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string(what) + " failed: errno " + std::to_string(errno));
}

} // namespace

UniqueFd loopbackSocket(int backlog, int receiveBuffer) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    check(fd.get() >= 0, "socket");
    if (receiveBuffer > 0)
        check(::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer) ==
                  0,
              "SO_RCVBUF");
    const sockaddr_in address = loopback(0);
    check(::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0,
          "bind");
    if (backlog >= 0)
        check(::listen(fd.get(), backlog) == 0, "listen");
    return fd;
}

int localPort(int fd) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    check(::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0, "getsockname");
    return ntohs(address.sin_port);
}

UniqueFd startConnect(int port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    check(fd.get() >= 0, "socket");
    const sockaddr_in address = loopback(port);
    const int result =
        ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    check(result == 0 || errno == EINPROGRESS, "connect");
    return fd;
}

int openFdCount() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1; // the directory's own descriptor
}

std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

PeerReader::PeerReader(int listener, Options options)
    : thread_([this, listener, options] { run(listener, options); }) {}

PeerReader::~PeerReader() {
    if (thread_.joinable())
        thread_.join();
}

void PeerReader::waitUntilGreeted() {
    while (!greeted_.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void PeerReader::join() {
    if (thread_.joinable())
        thread_.join();
}

void PeerReader::run(int listener, Options options) {
    pollfd watch{listener, POLLIN, 0};
    if (::poll(&watch, 1, 10000) != 1) {
        readError_ = ETIMEDOUT;
        greeted_ = true;
        return;
    }
    UniqueFd fd(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (fd.get() < 0) {
        readError_ = errno;
        greeted_ = true;
        return;
    }
    if (!options.greeting.empty())
        ::send(fd.get(), options.greeting.data(), options.greeting.size(), MSG_NOSIGNAL);
    greeted_ = true;
    if (options.closeAtOnce)
        return;
    std::this_thread::sleep_for(options.startDelay);

    std::string buffer(options.chunk, '\0');
    while (true) {
        const ssize_t got = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (got == 0) {
            endedInOrder_ = true;
            return;
        }
        if (got < 0) {
            if (errno == EINTR)
                continue;
            readError_ = errno;
            return;
        }
        received_.append(buffer.data(), static_cast<std::size_t>(got));
        if (options.resetAfter > 0 && received_.size() >= options.resetAfter) {
            const linger abort{1, 0};
            ::setsockopt(fd.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
            return; // the close sends a reset
        }
        if (options.pause.count() > 0)
            std::this_thread::sleep_for(options.pause);
    }
}
