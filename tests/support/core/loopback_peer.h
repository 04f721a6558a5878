#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The sign on the loopback interface: a socket on 127.0.0.1 with a port that the system picks.
// A listening peer serves each connection in turn, on a thread of its own, as its behaviour
// says; Refuse and NeverAnswer stand for a sign that cannot be reached.
class LoopbackPeer {
public:
    enum class Behaviour {
        ReadAll,        // reads each connection to its end, then closes it
        NeverRead,      // accepts and holds the connection, reading nothing
        AcceptAndClose, // accepts and closes at once, reading nothing
        ResetAfter,     // reads `resetAfter` bytes, then resets the connection
        Refuse,         // bound but not listening: every connection is refused
        NeverAnswer,    // listens and never accepts; its queue is full, so that a connection
                        // request gets no answer at all (a host that never answers)
    };

    struct Options {
        // ResetAfter: the bytes read before the reset.
        std::size_t resetAfter = 0;
        // > 0: the receive buffer of each connection. ResetAfter takes 4096 unless it is set, so
        // that a large send cannot vanish into the buffers before the reset.
        int receiveBuffer = 0;
        // Sent to each connection right after the accept.
        std::string greeting = {};
        // Waited after the accept, before the first read.
        std::chrono::milliseconds startDelay{0};
        // Bytes taken by one read at most.
        std::size_t chunk = 65536;
        // Waited after every read: a sign that takes its data slowly.
        std::chrono::microseconds pause{0};
        // False: the bytes are counted, not kept.
        bool keepBytes = true;
    };

    // What the peer saw of one connection.
    struct Connection {
        std::string received;
        bool endedInOrder = false; // the client ended the stream in order (not a reset, an error)
        int readError = 0;         // errno of the read that failed
    };

    explicit LoopbackPeer(Behaviour behaviour = Behaviour::ReadAll, std::size_t resetAfter = 0);
    LoopbackPeer(Behaviour behaviour, const Options& options);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    int port() const { return port_; }
    // Connections accepted (and greeted) so far.
    int accepted() const { return accepted_; }
    // Connections that the peer has finished with (closed, reset, or for NeverRead accepted).
    int finished() const { return finished_; }
    // Connections finished that the client ended in order.
    int orderlyEnds() const { return orderlyEnds_; }
    // Wait until `count` connections are accepted or finished with; whether they are.
    bool waitForAccepted(int count, int timeoutMs = 5000) const;
    bool waitForFinished(int count, int timeoutMs = 5000) const;
    // The bytes read from every connection so far, in order, and how many they are.
    std::string received();
    std::size_t receivedSize() const { return receivedSize_; }
    // The connections finished with so far, in order.
    std::vector<Connection> connections();
    // NeverRead: the bytes that its connection's side has taken and it never read (once
    // waitForFinished has seen the connection).
    std::size_t unread() const;
    // The most that a connection's side takes without the peer reading (its receive buffer).
    std::size_t receiveBuffer() const;

private:
    void run();
    void serve(int peer);
    void queueUnansweredConnections();

    Behaviour behaviour_;
    Options options_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_ = false;
    std::atomic<int> accepted_ = 0;
    std::atomic<int> finished_ = 0;
    std::atomic<int> orderlyEnds_ = 0;
    std::atomic<std::size_t> receivedSize_ = 0;
    std::mutex mutex_;
    std::vector<Connection> connections_;
    std::string current_;     // the bytes of the connection being served
    int held_ = -1;           // NeverRead: the connection it holds
    std::vector<int> queued_; // NeverAnswer: the connections that fill its queue
    std::thread thread_;
};
