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
    explicit PtyReader(std::size_t dropAfter = std::numeric_limits<std::size_t>::max());
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
    std::size_t dropAfter_;
    std::string path_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> gone_ = false;
    std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};
