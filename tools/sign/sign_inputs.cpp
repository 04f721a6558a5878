#include "sign_inputs.h"

#include "base/error_text.h"
#include "base/whole_number.h"
#include "links/termios_speed.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

// A send over a serial line has no end of its own: after this long without a byte it is over.
constexpr int kQuietLineMs = 1000;

std::string errnoText(int error) {
    return std::strerror(error);
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::string hostPort(const sockaddr* addr, socklen_t length) {
    char host[NI_MAXHOST] = {};
    char serv[NI_MAXSERV] = {};
    if (::getnameinfo(addr, length, host, sizeof host, serv, sizeof serv,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    const std::string h = host;
    return (h.find(':') != std::string::npos ? "[" + h + "]" : h) + ":" + serv;
}

class TcpInput : public TSignInput {
public:
    TcpInput(std::string address, int port)
        : address_(std::move(address))
        , port_(port) {}
    ~TcpInput() override { closeFd(listener_); }

    void open() override {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const std::string service = std::to_string(port_);
        const std::string shown = address_ + ":" + service;
        if (const int rc = ::getaddrinfo(address_.c_str(), service.c_str(), &hints, &found))
            throw std::runtime_error(failureLine("Cannot listen on " + shown, ::gai_strerror(rc)));
        int error = 0;
        for (addrinfo* a = found; a && listener_ < 0; a = a->ai_next) {
            const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
            if (fd < 0) {
                error = errno;
                continue;
            }
            const int one = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 4) == 0) {
                listener_ = fd;
            } else {
                error = errno;
                ::close(fd);
            }
        }
        ::freeaddrinfo(found);
        if (listener_ < 0)
            throw std::runtime_error(failureLine("Cannot listen on " + shown, errnoText(error)));
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&bound), &length);
        where_ = hostPort(reinterpret_cast<sockaddr*>(&bound), length);
    }

    std::string where() const override { return where_; }

    void run(TSignSink& sink) override {
        while (waitReadable(listener_, -1)) {
            sockaddr_storage peer{};
            socklen_t length = sizeof peer;
            int connection =
                ::accept4(listener_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
            if (connection < 0)
                continue;
            sink.sendStarted(hostPort(reinterpret_cast<sockaddr*>(&peer), length));
            while (waitReadable(connection, -1)) {
                if (readPaced(connection, sink) <= 0)
                    break;
            }
            closeFd(connection);
            sink.sendEnded();
        }
    }

private:
    std::string address_;
    int port_;
    int listener_ = -1;
    std::string where_;
};

class LineInput : public TSignInput {
public:
    // One byte stream; sends are told apart by quiet spells.
    void run(TSignSink& sink) override {
        bool inSend = false;
        for (;;) {
            bool timedOut = false;
            if (!waitReadable(fd_, inSend ? kQuietLineMs : -1, &timedOut)) {
                if (!timedOut)
                    break;
                sink.sendEnded();
                inSend = false;
                continue;
            }
            if (!inSend) {
                sink.sendStarted(where());
                inSend = true;
            }
            // End of file: the device has hung up.
            const long n = readPaced(fd_, sink);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
        if (inSend)
            sink.sendEnded();
    }

protected:
    int fd_ = -1;
};

class PtyInput : public LineInput {
public:
    ~PtyInput() override {
        closeFd(fd_);
        closeFd(slave_);
    }

    void open() override {
        char name[256] = {};
        if (::openpty(&fd_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error(
                failureLine("Cannot create a pseudo-terminal", errnoText(errno)));
        ::fcntl(fd_, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        // Raw until the editor sets its own line settings: no echo, no newline translation.
        termios t{};
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
        // The sign keeps the slave side open itself, so that the pair lives between the
        // editor's sends and reading never sees the end of it.
        path_ = name;
    }

    std::string where() const override { return path_; }

private:
    int slave_ = -1;
    std::string path_;
};

class SerialInput : public LineInput {
public:
    SerialInput(std::string device, int baud)
        : device_(std::move(device))
        , baud_(baud) {}
    ~SerialInput() override { closeFd(fd_); }

    void open() override {
        speed_t speed;
        if (!termiosSpeed(baud_, speed))
            throw std::runtime_error("Unsupported speed " + std::to_string(baud_) + " for " +
                                     device_);
        fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0)
            throw std::runtime_error(failureLine("Cannot open " + device_, errnoText(errno)));
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) {
            const int error = errno;
            closeFd(fd_);
            throw std::runtime_error(
                failureLine(device_ + " is not a serial device", errnoText(error)));
        }
        ::cfmakeraw(&t);
        t.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE | CRTSCTS);
        t.c_cflag |= CS8 | CLOCAL | CREAD;
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) {
            const int error = errno;
            closeFd(fd_);
            throw std::runtime_error(failureLine("Cannot set up " + device_, errnoText(error)));
        }
        ::tcflush(fd_, TCIFLUSH);
    }

    std::string where() const override { return device_; }

private:
    std::string device_;
    int baud_;
};

} // namespace

TSignInput::TSignInput() {
    if (::pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(failureLine("Cannot create a pipe", errnoText(errno)));
}

TSignInput::~TSignInput() {
    closeFd(stopPipe_[0]);
    closeFd(stopPipe_[1]);
}

void TSignInput::stop() {
    const char b = 0;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], &b, 1);
}

bool TSignInput::stopped() const {
    pollfd p{stopPipe_[0], POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
}

bool TSignInput::waitReadable(int fd, int timeoutMs, bool* timedOut) {
    if (timedOut)
        *timedOut = false;
    for (;;) {
        pollfd p[2] = {{stopPipe_[0], POLLIN, 0}, {fd, POLLIN, 0}};
        const int n = ::poll(p, fd >= 0 ? 2 : 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || p[0].revents != 0)
            return false;
        if (n == 0) {
            if (timedOut)
                *timedOut = fd >= 0;
            return false;
        }
        return true;
    }
}

long TSignInput::readPaced(int fd, TSignSink& sink) {
    char buffer[16384];
    std::size_t want = sizeof buffer;
    // A slice of about 20 ms of the line at a time.
    if (baud_ > 0)
        want = std::clamp<std::size_t>(static_cast<std::size_t>(baud_) / 10 / 50, 1, want);
    const ssize_t n = ::read(fd, buffer, want);
    if (n <= 0)
        return n;
    if (baud_ > 0) {
        const auto now = std::chrono::steady_clock::now();
        lineFree_ = std::max(lineFree_, now) +
                    std::chrono::microseconds(static_cast<long long>(n) * 10'000'000LL / baud_);
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(lineFree_ - now).count();
        if (waitMs > 0 && !waitReadable(-1, static_cast<int>(waitMs)) && stopped())
            return -1;
    }
    sink.bytesArrived(std::string_view(buffer, static_cast<std::size_t>(n)));
    return n;
}

std::unique_ptr<TSignInput> makeTcpInput(const std::string& address, int port) {
    return std::make_unique<TcpInput>(address, port);
}

std::unique_ptr<TSignInput> makePtyInput() {
    return std::make_unique<PtyInput>();
}

std::unique_ptr<TSignInput> makeSerialInput(const std::string& device, int baud) {
    return std::make_unique<SerialInput>(device, baud);
}

void parseListenAddress(const std::string& text, std::string& address, int& port) {
    std::string portText = text;
    address = "127.0.0.1";
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos) {
        address = text.substr(0, colon);
        portText = text.substr(colon + 1);
        // "[::1]:23" for an IPv6 address.
        if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
            address = address.substr(1, address.size() - 2);
        if (address.empty())
            throw std::runtime_error("No address before the port in \"" + text + "\"");
    }
    const std::optional<long long> number = parseWholeNumber(portText, TNumberForm::Digits);
    if (!number || *number > 65535)
        throw std::runtime_error("Not a TCP port: \"" + portText + "\" (0 to 65535)");
    port = static_cast<int>(*number);
}
