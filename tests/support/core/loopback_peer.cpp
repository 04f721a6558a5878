#include "support/core/loopback_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

LoopbackPeer::LoopbackPeer(Behaviour behaviour, std::size_t resetAfter)
    : behaviour_(behaviour)
    , resetAfter_(resetAfter) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw std::runtime_error("cannot make a socket");
    if (behaviour_ == Behaviour::ResetAfter) {
        // A small window, so that a large send cannot vanish into the buffers before the reset.
        int size = 4096;
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (behaviour_ != Behaviour::Refuse &&
         ::listen(fd_, behaviour_ == Behaviour::NeverAnswer ? 0 : 8) != 0) ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        ::close(fd_);
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    port_ = ntohs(address.sin_port);
    if (behaviour_ == Behaviour::NeverAnswer) {
        // One connection waits in a queue with room for one; the system drops later requests
        // without a word, so their connects hang until they give up.
        held_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (held_ < 0 ||
            ::connect(held_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot fill the listener's queue");
    }
    thread_ = std::thread([this] { run(); });
}

LoopbackPeer::~LoopbackPeer() {
    stop_ = true;
    thread_.join();
    if (held_ >= 0)
        ::close(held_);
    ::close(fd_);
}

bool LoopbackPeer::waitForFinished(int count, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (finished_ < count && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return finished_ >= count;
}

std::string LoopbackPeer::received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

void LoopbackPeer::run() {
    while (!stop_) {
        if (behaviour_ == Behaviour::NeverAnswer || behaviour_ == Behaviour::Refuse) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            continue;
        }
        pollfd watch{fd_, POLLIN, 0};
        if (::poll(&watch, 1, 20) <= 0)
            continue;
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer >= 0)
            serve(peer);
    }
}

void LoopbackPeer::serve(int peer) {
    if (behaviour_ == Behaviour::NeverRead) {
        if (held_ >= 0)
            ::close(held_);
        held_ = peer;
        ++finished_;
        return;
    }
    std::size_t got = 0;
    char buffer[8192];
    while (behaviour_ != Behaviour::AcceptAndClose && !stop_) {
        pollfd watch{peer, POLLIN, 0};
        if (::poll(&watch, 1, 20) <= 0)
            continue;
        std::size_t want = sizeof buffer;
        if (behaviour_ == Behaviour::ResetAfter)
            want = std::min(want, resetAfter_ - got);
        const ssize_t n = ::read(peer, buffer, want);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        if (behaviour_ == Behaviour::ResetAfter && got >= resetAfter_) {
            linger hard{1, 0};
            ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            break;
        }
    }
    ::close(peer);
    ++finished_;
}
