#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <thread>

// Stand-ins for the sign on the loopback interface: listeners on 127.0.0.1 with ports that the
// system picks, and a reader that takes one connection.

// A file descriptor that closes itself.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;

    int get() const { return fd_; }
    int release();
    void reset(int fd = -1);

private:
    int fd_ = -1;
};

// A TCP socket bound to 127.0.0.1 on a free port; listening when `backlog` >= 0.
// `receiveBuffer` > 0 shrinks the receive buffer (accepted connections inherit it).
UniqueFd loopbackSocket(int backlog, int receiveBuffer = 0);
int localPort(int fd);

// A non-blocking connect to 127.0.0.1:port that is left in whatever state it reaches.
UniqueFd startConnect(int port);

// Number of open file descriptors of this process.
int openFdCount();

// `size` bytes that differ from their neighbours, so that lost, doubled or swapped pieces show.
std::string patternBytes(std::size_t size);

// Accepts one connection on a listener and reads it to its end on a thread of its own.
class PeerReader {
public:
    struct Options {
        std::string greeting;                    // sent to the client right after the accept
        std::chrono::milliseconds startDelay{0}; // before the first read
        std::size_t chunk = 65536;               // bytes per read
        std::chrono::microseconds pause{0};      // after every read
        bool closeAtOnce = false;                // close right after the accept, reading nothing
        std::size_t resetAfter = 0;              // > 0: reset the connection once this many arrived
    };

    PeerReader(int listener, Options options);
    explicit PeerReader(int listener)
        : PeerReader(listener, Options{}) {}
    ~PeerReader();

    // Waits until the greeting has been sent (at once without one).
    void waitUntilGreeted();
    // Waits for the reader to finish; the results below are valid afterwards.
    void join();

    const std::string& received() const { return received_; }
    // True when the stream ended in order (end of stream, not a reset or an error).
    bool endedInOrder() const { return endedInOrder_; }
    int readError() const { return readError_; }

private:
    void run(int listener, Options options);

    std::string received_;
    bool endedInOrder_ = false;
    int readError_ = 0;
    std::atomic<bool> greeted_{false};
    std::thread thread_;
};
