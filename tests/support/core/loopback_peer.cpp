#include "support/core/loopback_peer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>

namespace {

sockaddr_in loopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool waitForCount(const std::atomic<int>& value, int count, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (value < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return value >= count;
}

} // namespace

LoopbackPeer::LoopbackPeer(Behaviour behaviour, std::size_t resetAfter)
    : LoopbackPeer(behaviour, Options{.resetAfter = resetAfter}) {}

LoopbackPeer::LoopbackPeer(Behaviour behaviour, const Options& options)
    : behaviour_(behaviour)
    , options_(options) {
    if (behaviour_ == Behaviour::ResetAfter && options_.receiveBuffer <= 0)
        options_.receiveBuffer = 4096;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw std::runtime_error("cannot make a socket");
    if (options_.receiveBuffer > 0) {
        // Set before the listen: accepted connections inherit it.
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &options_.receiveBuffer,
                     sizeof options_.receiveBuffer);
    }
    sockaddr_in address = loopbackAddress(0);
    socklen_t size = sizeof address;
    const int backlog = behaviour_ == Behaviour::NeverAnswer ? 0 : 16;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (behaviour_ != Behaviour::Refuse && ::listen(fd_, backlog) != 0) ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    port_ = ntohs(address.sin_port);
    if (behaviour_ == Behaviour::NeverAnswer)
        queueUnansweredConnections();
    else if (behaviour_ != Behaviour::Refuse)
        thread_ = std::thread([this] { run(); });
}

LoopbackPeer::~LoopbackPeer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (held_ >= 0)
        ::close(held_);
    for (int fd : queued_)
        ::close(fd);
    ::close(fd_);
}

std::size_t LoopbackPeer::unread() const {
    int waiting = 0;
    if (held_ < 0 || ::ioctl(held_, FIONREAD, &waiting) != 0)
        return 0;
    return static_cast<std::size_t>(waiting);
}

std::size_t LoopbackPeer::receiveBuffer() const {
    int size = 0;
    socklen_t length = sizeof size;
    ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return static_cast<std::size_t>(size);
}

void LoopbackPeer::queueUnansweredConnections() {
    // Connections that the listener never accepts fill its queue; the system then drops every
    // further connection request without an answer.
    for (int i = 0; i < 2; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            throw std::runtime_error("cannot make a socket");
        queued_.push_back(fd);
        const sockaddr_in address = loopbackAddress(port_);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
}

bool LoopbackPeer::waitForAccepted(int count, int timeoutMs) const {
    return waitForCount(accepted_, count, timeoutMs);
}

bool LoopbackPeer::waitForFinished(int count, int timeoutMs) const {
    return waitForCount(finished_, count, timeoutMs);
}

std::string LoopbackPeer::received() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string all;
    for (const Connection& connection : connections_)
        all += connection.received;
    return all + current_;
}

std::vector<LoopbackPeer::Connection> LoopbackPeer::connections() {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_;
}

void LoopbackPeer::run() {
    while (!stop_) {
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, 20) <= 0)
            continue;
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer >= 0)
            serve(peer);
    }
}

void LoopbackPeer::serve(int peer) {
    if (!options_.greeting.empty())
        ::send(peer, options_.greeting.data(), options_.greeting.size(), MSG_NOSIGNAL);
    ++accepted_;
    if (behaviour_ == Behaviour::NeverRead) {
        if (held_ >= 0)
            ::close(held_);
        held_ = peer;
        ++finished_;
        return;
    }
    std::this_thread::sleep_for(options_.startDelay);
    Connection connection;
    std::size_t got = 0;
    std::string buffer(std::max<std::size_t>(options_.chunk, 1), '\0');
    while (behaviour_ != Behaviour::AcceptAndClose && !stop_) {
        pollfd watch{peer, POLLIN, 0};
        if (::poll(&watch, 1, 20) <= 0)
            continue;
        std::size_t want = buffer.size();
        if (behaviour_ == Behaviour::ResetAfter)
            want = std::min(want, options_.resetAfter - got);
        const ssize_t n = ::recv(peer, buffer.data(), want, 0);
        if (n == 0) {
            connection.endedInOrder = true;
            break;
        }
        if (n < 0) {
            if (errno == EINTR)
                continue;
            connection.readError = errno;
            break;
        }
        got += static_cast<std::size_t>(n);
        receivedSize_ += static_cast<std::size_t>(n);
        if (options_.keepBytes) {
            std::lock_guard<std::mutex> lock(mutex_);
            current_.append(buffer.data(), static_cast<std::size_t>(n));
        }
        if (behaviour_ == Behaviour::ResetAfter && got >= options_.resetAfter) {
            linger hard{1, 0};
            ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            break; // the close sends a reset
        }
        if (options_.pause.count() > 0)
            std::this_thread::sleep_for(options_.pause);
    }
    ::close(peer);
    const bool inOrder = connection.endedInOrder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connection.received = std::move(current_);
        current_.clear();
        connections_.push_back(std::move(connection));
    }
    if (inOrder)
        ++orderlyEnds_;
    ++finished_;
}
