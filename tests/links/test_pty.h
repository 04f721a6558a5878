#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

// A pseudo-terminal that stands in for a serial device: the port opens the slave by its path,
// the test reads what arrives from the master. The test keeps its own slave descriptor open so
// that the pair lives while the port opens and closes.
class TestPty {
public:
    TestPty() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        path_ = name;
        ::fcntl(master_, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~TestPty() {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }

    // The reader goes away.
    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    // Writes filler into the slave until the pseudo-terminal takes no more, so that the next
    // writer blocks until the master reads. The kernel moves bytes on to the reader's side a
    // little later, making room again, so it fills until a pause frees nothing. Returns the
    // number of bytes written.
    std::size_t fill(char filler) {
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

    // Reads from the master until `count` bytes have come or nothing has come for `quietMs`.
    std::string read(std::size_t count, int quietMs = 500) {
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

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

inline int countDirEntries(const char* path) {
    int count = 0;
    if (DIR* dir = ::opendir(path)) {
        while (dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        ::closedir(dir);
    }
    return count;
}

// Open descriptors and threads of this process.
inline int openFdCount() {
    return countDirEntries("/proc/self/fd") - 1; // less the one that reads the directory
}
inline int threadCount() {
    return countDirEntries("/proc/self/task");
}

// Polls `done` until it holds or `timeoutMs` has passed; its last answer.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
