#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

// The sign on the loopback interface: a listener on 127.0.0.1 with a port that the system picks,
// and a thread that serves each connection in turn as its behaviour says.
class LoopbackPeer {
public:
    enum class Behaviour {
        ReadAll,        // reads each connection to its end, then closes it
        NeverRead,      // accepts and holds the connection, reading nothing
        AcceptAndClose, // accepts and closes at once, reading nothing
        ResetAfter,     // reads `resetAfter` bytes, then resets the connection
        NeverAnswer,    // its queue is full and it never accepts: a connect gets no answer
        Refuse,         // holds its port without listening: a connect is refused
    };

    explicit LoopbackPeer(Behaviour behaviour = Behaviour::ReadAll, std::size_t resetAfter = 0);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    int port() const { return port_; }
    // Connections that the peer has finished with (closed, reset, or for NeverRead accepted).
    int finished() const { return finished_; }
    // Waits until `count` connections are finished with; whether they are.
    bool waitForFinished(int count, int timeoutMs = 5000) const;
    // The bytes read from every connection so far, in order.
    std::string received();

private:
    void run();
    void serve(int peer);

    Behaviour behaviour_;
    std::size_t resetAfter_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ = false;
    std::atomic<int> finished_ = 0;
    std::mutex mutex_;
    std::string received_;
    int held_ = -1;
    std::thread thread_;
};
