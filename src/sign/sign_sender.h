#pragma once

#include "links/tcpclient.h"
#include "sign/transmitter.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TBComm;
class TProfile;
class TBlock;
class TComPort;
class TSendBuffer;
class TTcpClient;

// How the sign is reached for one send.
struct TSignLink {
    enum class Kind { Serial, Network };
    Kind kind = Kind::Serial;
    // Serial: the port number (0: the port asks the user, when it has a prompt, unless a
    // device is named), the device (empty: the port's own mapping of numbers to devices
    // decides) and the line speed.
    unsigned comNumber = 0;
    std::string device;
    std::int32_t baud = 0;
    // The port number is the settings' default, the section naming none.
    bool defaultPort = false;
    // Network: the sign's address (a dotted IPv4 address or a name) and its TCP port.
    std::string host;
    int tcpPort = kSignTcpPort;

    static TSignLink Serial(unsigned comNumber, std::int32_t baud, std::string device = {});
    static TSignLink Network(std::string host, int tcpPort = kSignTcpPort);
    bool network() const { return kind == Kind::Network; }
};

// The link that the communication settings choose: port 5 or more the network link to their
// address on `tcpPort`; otherwise the serial port of that number at their speed, on the device
// that the settings file's section "Ports" maps it to (/dev/ttyS<n-1> when it maps none).
TSignLink signLinkFromSettings(const TBComm& comm, int tcpPort = kSignTcpPort);
// The same with the settings file already read.
TSignLink signLinkFromSettings(const TBComm& comm, const TProfile& settings,
                               int tcpPort = kSignTcpPort);

// The link as messages name it: "IP address 10.0.0.5, port 23", "Com port 1 (/dev/ttyS0) at
// 1200 baud", "Com port 0 at 1200 baud" (no device), "Serial device /dev/ttyUSB0 at 1200 baud"
// (a device without a port number), "... at the device's speed" (baud 0), "Com port 2
// (/dev/ttyS1), from the default Port, at 1200 baud" (defaultPort).
std::string describeSignLink(const TSignLink& link);

// One send of a message to the sign: opens the link, builds the sign data stream, writes it with
// progress, closes the link, and says how it ended. Gets no byte taken for 10 seconds: ends as
// stalled. Cancel() from any thread, or from a signal handler, stops it after the current piece.
//
// Outcomes: TSendOutcome for a delivered or a cancelled send; ESendOpenFailed when the link
// could not be opened (nothing sent); ESendError when the link stopped taking bytes or failed on
// the way (send_errors.h: its first line says which). The link is
// closed before any of them reaches the caller of Send. Every send has its own state; senders to
// several signs can run side by side, each on its own thread with its own links.
class TSignSender {
public:
    // Sends over a serial port and a network client of its own.
    explicit TSignSender(TSignLink link);
    // Sends over the caller's links, which must outlive the sender (the editor keeps its two for
    // the whole run, with their device mapping and port prompt).
    TSignSender(TSignLink link, TComPort& port, TTcpClient& client);
    // Closes the link if it is still open.
    ~TSignSender();
    TSignSender(const TSignSender&) = delete;
    TSignSender& operator=(const TSignSender&) = delete;

    // Told how far the send has come: 0 of m when the stream is built, then whenever the count
    // grows. The count is of the bytes that the sign acknowledged, or where the link cannot know
    // that (Handed()), of the bytes handed to the link (TSendCount).
    std::function<void(std::size_t sent, std::size_t total)> OnProgress;
    // Called every 20 milliseconds or so while the link is written, for the caller's windows.
    std::function<void()> OnWait;
    // A send that gets no byte taken for this long has stalled.
    std::chrono::milliseconds StallLimit{10000};
    // After the network link's last byte, the longest wait for the peer's orderly end once it has
    // acknowledged every byte.
    std::chrono::milliseconds PeerEndWait{3000};
    // The network link's connect time-out.
    int ConnectTimeoutMs = 3000;

    // Asks the send to stop after the current piece. Safe from any thread and from a signal
    // handler.
    void Cancel() noexcept { cancel_.store(true); }
    bool CancelRequested() const noexcept { return cancel_.load(); }
    // Whether the counts of the running or last send are of bytes handed to the link.
    bool Handed() const { return handed_; }

    const TSignLink& Link() const { return link_; }
    // describeSignLink of the link, with the port number that the port now has (its prompt may
    // have chosen it) and the device that its mapping gives.
    std::string Description() const;

    // The steps of Send, for callers that need them apart.
    // Opens the link; throws ESendOpenFailed. Opening an open link does nothing.
    void Open();
    // Writes `bytes` to the open link. Throws ESendError when it stops or fails, and
    // leaves the link to Close(), which then ends it at once.
    TSendOutcome Transmit(std::string_view bytes);
    // Closes the link: in order after a delivered or cancelled send (the network peer still gets
    // every byte counted as sent), at once after a failure; serial output still queued is thrown
    // away. Closing a closed link does nothing.
    void Close();

    // Open, build the stream for the block lines into `buffer` (each parsed into `sendBlock`)
    // starting at sign line `start` with lines `width` characters wide, Transmit, Close.
    TSendOutcome Send(const std::vector<std::string>& lines, int start, int width,
                      TSendBuffer& buffer, TBlock& sendBlock);

private:
    TSignLink link_;
    std::unique_ptr<TComPort> ownPort_;
    std::unique_ptr<TTcpClient> ownClient_;
    TComPort* port_;
    TTcpClient* client_;
    std::atomic<bool> cancel_ = false;
    static_assert(std::atomic<bool>::is_always_lock_free, "Cancel() runs in signal handlers");
    bool failed_ = false;
    bool handed_ = false;
    // The port's own device mapping while the link's device stands in for it.
    std::function<std::string(unsigned)> savedResolver_;
    bool resolverReplaced_ = false;
};
