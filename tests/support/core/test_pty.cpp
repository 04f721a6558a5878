#include "support/core/test_pty.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

TestPty::TestPty() {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

TestPty::~TestPty() {
    closeMaster();
    if (slave_ >= 0)
        ::close(slave_);
}

void TestPty::makeRaw() {
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
}

void TestPty::closeMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

std::size_t TestPty::fill(char filler) {
    ::fcntl(slave_, F_SETFL, ::fcntl(slave_, F_GETFL) | O_NONBLOCK);
    const std::string block(1024, filler);
    std::size_t total = 0;
    for (int round = 0; round < 100; ++round) {
        std::size_t now = 0;
        for (;;) {
            const ssize_t n = ::write(slave_, block.data(), block.size());
            if (n <= 0)
                break;
            now += static_cast<std::size_t>(n);
        }
        total += now;
        if (now == 0 && round > 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return total;
}

std::string TestPty::read(std::size_t count, int quietMs) {
    std::string out;
    char buffer[4096];
    while (out.size() < count) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0)
            break;
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return out;
}

PtyReader::PtyReader(const Behaviour& behaviour)
    : behaviour_(behaviour) {
    pty_.makeRaw();
    thread_ = std::thread([this] { run(); });
}

PtyReader::~PtyReader() {
    closeMaster();
}

void PtyReader::closeMaster() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    pty_.closeMaster();
}

std::string PtyReader::read(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (receivedSize() < count && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // nothing more behind it
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::size_t PtyReader::receivedSize() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_.size();
}

void PtyReader::run() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const int master = pty_.master();
    char buffer[4096];
    std::size_t got = 0;
    while (!stop_ && !gone_) {
        std::size_t room =
            std::min({sizeof buffer, behaviour_.dropAfter - got, behaviour_.stopAfter - got});
        if (behaviour_.bytesPerSecond > 0) {
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            const auto allowed = static_cast<std::size_t>(seconds * behaviour_.bytesPerSecond);
            room = std::min(room, allowed > got ? allowed - got : 0);
        }
        if (room == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd watch{master, POLLIN, 0};
        if (::poll(&watch, 1, 10) <= 0)
            continue;
        const ssize_t n = ::read(master, buffer, room);
        if (n <= 0)
            continue;
        got += static_cast<std::size_t>(n);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        if (got >= behaviour_.dropAfter) {
            pty_.closeMaster();
            gone_ = true;
        }
    }
}
