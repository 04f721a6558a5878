#pragma once

#include <atomic>
#include <cstddef>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

// A pseudo-terminal standing in for a serial device: the port opens the slave by its path, a
// thread of the test reads everything that arrives at the master. With `dropAfter`, the reader
// goes away (its master closes) once that many bytes have come, as an unplugged device would.
class PtyReader {
public:
    // How the reader takes the bytes.
    struct Behaviour {
        // The reader goes away (its master closes) once this many bytes have come.
        std::size_t dropAfter = std::numeric_limits<std::size_t>::max();
        // The reader stops reading, and stays, once this many bytes have come: a device that
        // takes nothing more.
        std::size_t stopAfter = std::numeric_limits<std::size_t>::max();
        // The reader takes at most this many bytes a second, as a slow line would; 0: no limit.
        std::size_t bytesPerSecond = 0;
    };

    explicit PtyReader(std::size_t dropAfter = std::numeric_limits<std::size_t>::max())
        : PtyReader(Behaviour{dropAfter}) {}
    explicit PtyReader(const Behaviour& behaviour);
    ~PtyReader();
    PtyReader(const PtyReader&) = delete;
    PtyReader& operator=(const PtyReader&) = delete;

    const std::string& path() const { return path_; }
    // The reader goes away now: writes into the device fail from then on.
    void closeMaster();
    // Whether the reader went away after `dropAfter` bytes.
    bool gone() const { return gone_; }
    // Waits until `count` bytes have come or `timeoutMs` has passed; everything that came.
    std::string read(std::size_t count, int timeoutMs = 5000);

private:
    std::size_t size();
    void run();

    int master_ = -1;
    int slave_ = -1;
    Behaviour behaviour_;
    std::string path_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> gone_ = false;
    std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};
