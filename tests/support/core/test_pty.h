#pragma once

#include <atomic>
#include <cstddef>
#include <limits>
#include <mutex>
#include <string>
#include <thread>

// A pseudo-terminal standing in for a serial device: the port opens the slave by its path, the
// test reads what arrives at the master. The test keeps its own slave descriptor open, so that
// the pair lives while the port opens and closes.
class TestPty {
public:
    TestPty();
    ~TestPty();
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }

    // Raw mode: the terminal passes every byte as it is.
    void makeRaw();
    // The reader goes away.
    void closeMaster();

    // Writes filler into the slave until the pseudo-terminal takes no more, so that the next
    // writer blocks until the master reads. The kernel moves bytes on to the reader's side a
    // little later, making room again, so it fills until a pause frees nothing. Returns the
    // number of bytes written.
    std::size_t fill(char filler);
    // Reads from the master until `count` bytes have come or nothing has come for `quietMs`.
    std::string read(std::size_t count, int quietMs = 500);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// A raw pseudo-terminal whose master a thread of the test reads all the time, as a device on
// the line would. With `dropAfter`, the reader goes away (its master closes) once that many
// bytes have come, as an unplugged device would.
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

    const std::string& path() const { return pty_.path(); }
    // The reader goes away now: writes into the device fail from then on.
    void closeMaster();
    // Whether the reader went away after `dropAfter` bytes.
    bool gone() const { return gone_; }
    // Waits until `count` bytes have come or `timeoutMs` has passed; everything that came.
    std::string read(std::size_t count, int timeoutMs = 5000);
    // How many bytes have come so far.
    std::size_t receivedSize();

private:
    void run();

    TestPty pty_;
    Behaviour behaviour_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> gone_ = false;
    std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};
