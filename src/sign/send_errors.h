#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// How far a send came, as every message, log line and progress bar tells it: `sent` of `total`
// bytes that the sign acknowledged (over the network the bytes that the peer's side
// acknowledged, on a serial line those that have left the machine's output queue), or, where
// the link cannot know that (`handed`), the bytes handed to the link.
struct TSendCount {
    std::size_t sent = 0;
    std::size_t total = 0;
    bool handed = false;

    // "n of m bytes", or "n of m bytes handed to the link".
    std::string text() const;
    // "n of m bytes were sent", or "n of m bytes were handed to the link".
    std::string sentText() const;
};

// Failures of a send to the sign. Each says how far the send came, sent() of total() bytes
// (TSendCount), and its message has two lines: what happened, then the link that was used and
// the reason.
class ESendError : public std::runtime_error {
public:
    ESendError(const std::string& headline, const std::string& detail, const TSendCount& count);

    std::size_t sent() const { return count_.sent; }
    std::size_t total() const { return count_.total; }
    const TSendCount& count() const { return count_; }

private:
    TSendCount count_;
};

// The link could not be opened, so nothing was sent. The first line is the fixed text of the
// link ("ERROR Connecting to IP Address." or "ERROR Opening Com Port, check correct
// configuration."), the second says what was tried and why it failed.
class ESendOpenFailed : public ESendError {
public:
    ESendOpenFailed(bool network, const std::string& link, std::string_view reason);
};

// How a send that had begun failed; each message's first line says which.
// The link took no byte for `quiet`: "The sign stopped taking data after n of m bytes."
ESendError sendStalled(const TSendCount& count, const std::string& link,
                       std::chrono::milliseconds quiet);
// The serial port kept taking bytes, but more slowly than its line could ever be.
ESendError sendTimedOut(const TSendCount& count, const std::string& link);
// The link failed while the bytes went out; `reason` is the socket or device error.
ESendError sendBrokeOff(const TSendCount& count, const std::string& link, std::string_view reason);
// The peer had ended its side of the connection and then refused the bytes: "The sign closed
// the connection before taking the message."
ESendError sendRefusedByClosedPeer(const TSendCount& count, const std::string& link,
                                   std::string_view reason);
