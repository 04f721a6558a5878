#pragma once

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

// Failures of a send to the sign. Each says how far the send came, sent() of total() bytes
// taken by the link (the kernel's socket or the serial device), and its message has two lines:
// what happened, then the link that was used and the reason.
class ESendError : public std::runtime_error {
public:
    ESendError(const std::string& headline, const std::string& detail, std::size_t sent,
               std::size_t total);

    std::size_t sent() const { return sent_; }
    std::size_t total() const { return total_; }

private:
    std::size_t sent_;
    std::size_t total_;
};

// The link could not be opened, so nothing was sent. The first line is the fixed text of the
// link ("ERROR Connecting to IP Address." or "ERROR Opening Com Port, check correct
// configuration."), the second says what was tried and why it failed.
class ESendOpenFailed : public ESendError {
public:
    ESendOpenFailed(bool network, const std::string& link, std::string_view reason);
};

// The link took no byte for `quiet`: "The sign stopped taking data after n of m bytes."
class ESendStalled : public ESendError {
public:
    ESendStalled(std::size_t sent, std::size_t total, const std::string& link,
                 std::chrono::milliseconds quiet);
};

// The serial port kept taking bytes, but more slowly than its line could ever be.
class ESendTimeout : public ESendError {
public:
    ESendTimeout(std::size_t sent, std::size_t total, const std::string& link);
};

// The link failed while the bytes went out; `reason` is the socket or device error.
class ESendBrokeOff : public ESendError {
public:
    ESendBrokeOff(std::size_t sent, std::size_t total, const std::string& link,
                  std::string_view reason);

protected:
    using ESendError::ESendError;
};

// The peer had ended its side of the connection and then refused the bytes: "The sign closed
// the connection before taking the message."
class ESendPeerClosed : public ESendBrokeOff {
public:
    ESendPeerClosed(std::size_t sent, std::size_t total, const std::string& link,
                    std::string_view reason);
};
