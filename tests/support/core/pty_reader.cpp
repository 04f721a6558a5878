#include "support/core/pty_reader.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

PtyReader::PtyReader(const Behaviour& behaviour)
    : behaviour_(behaviour) {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    path_ = name;
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
    // Raw, so that the terminal passes every byte as it is.
    termios raw{};
    ::tcgetattr(slave_, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave_, TCSANOW, &raw);
    thread_ = std::thread([this] { run(); });
}

PtyReader::~PtyReader() {
    closeMaster();
    ::close(slave_);
}

void PtyReader::closeMaster() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

std::string PtyReader::read(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size() < count && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // nothing more behind it
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::size_t PtyReader::size() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_.size();
}

void PtyReader::run() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
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
        pollfd watch{master_, POLLIN, 0};
        if (::poll(&watch, 1, 10) <= 0)
            continue;
        const ssize_t n = ::read(master_, buffer, room);
        if (n <= 0)
            continue;
        got += static_cast<std::size_t>(n);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        if (got >= behaviour_.dropAfter) {
            ::close(master_);
            master_ = -1;
            gone_ = true;
        }
    }
}
