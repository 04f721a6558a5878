#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

// What an input hands on: the bytes as they arrive, grouped into sends.
class TSignSink {
public:
    virtual ~TSignSink() = default;
    // A send begins (a connection from `peer`, or the first bytes after a quiet line).
    virtual void sendStarted(const std::string& peer) = 0;
    virtual void bytesArrived(std::string_view bytes) = 0;
    // The send is over: the connection closed, or the line has been quiet for a while.
    virtual void sendEnded() = 0;
};

// Where the virtual sign reads its bytes from. open() takes the device or the port (and
// throws, saying which and why); run() reads until stop() is called from any thread.
class TSignInput {
public:
    TSignInput();
    virtual ~TSignInput();
    TSignInput(const TSignInput&) = delete;
    TSignInput& operator=(const TSignInput&) = delete;

    virtual void open() = 0;
    // What the user points the editor at: "127.0.0.1:5023", "/dev/pts/4", ...
    virtual std::string where() const = 0;
    virtual void run(TSignSink& sink) = 0;
    void stop();

    // Reads at the speed of a line of `baud` bits per second (8N1: ten bits a byte), so that
    // a long send takes as long as it would on the line; 0 reads as fast as bytes come.
    void setPacing(int baud) { baud_ = baud; }

protected:
    // Waits until `fd` can be read, at most `timeoutMs` (-1: no limit). False when stopped or
    // timed out; `timedOut` tells which.
    bool waitReadable(int fd, int timeoutMs, bool* timedOut = nullptr);
    // Reads what `fd` has (at most one pacing slice) and hands it to the sink, then waits
    // until the line would have carried it. Returns the byte count, 0 at end of file, -1 on
    // error or stop.
    long readPaced(int fd, TSignSink& sink);
    bool stopped() const;

private:
    int stopPipe_[2] = {-1, -1};
    int baud_ = 0;
    std::chrono::steady_clock::time_point lineFree_{};
};

// Listens on a TCP address; each connection is one send. Port 0 takes a free port.
std::unique_ptr<TSignInput> makeTcpInput(const std::string& address, int port);
// A pseudo-terminal; where() is the path of its slave side, which the editor opens as a
// serial port. A send ends after a quiet second.
std::unique_ptr<TSignInput> makePtyInput();
// A serial device in raw 8N1 at `baud` bits per second. A send ends after a quiet second.
std::unique_ptr<TSignInput> makeSerialInput(const std::string& device, int baud);

// Splits "[ADDR:]PORT" into its two parts (ADDR 127.0.0.1 when left out); throws
// An error for a port that is not a number from 0 to 65535.
void parseListenAddress(const std::string& text, std::string& address, int& port);
