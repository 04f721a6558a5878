#pragma once

#include "links/tcpclient_platform.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class ESocketError;

// The TCP port on which the sign takes its data stream.
constexpr std::int32_t kSignTcpPort = 23;

// The network link: a TCP client that writes the sign data stream to the sign. It only sends;
// nothing is ever read from the connection. Every operation blocks the calling thread until it
// is done. Failures raise the ENetException family (links/net_errors.h).
class TTcpClient {
public:
    TTcpClient() = default;
    ~TTcpClient();
    TTcpClient(const TTcpClient&) = delete;
    TTcpClient& operator=(const TTcpClient&) = delete;

    // The remote host: "LOCALHOST", a dotted IPv4 address (or its short forms) or a name.
    std::string Host;
    // The remote TCP port.
    std::int32_t Port = kSignTcpPort;
    // Local address and port to bind to; empty and 0 mean any.
    std::string BoundIP;
    std::int32_t BoundPort = 0;
    // Progress texts: "Resolving hostname <host>.", "Connecting to <address>.", "Connected.",
    // "Disconnecting.", "Disconnected.". Optional.
    std::function<void(const std::string&)> OnStatus;

    // Connects to Host and Port. With a positive `timeoutMs` gives up after that many
    // milliseconds (EConnectTimeout) and reports a failed connect as EConnectFailed; with 0 or
    // less waits as long as the platform does and reports a failure as ESocketError. A failed
    // connect leaves the socket closed and the client not connected; the next Connect starts
    // afresh. Throws EAlreadyConnected on a connected client.
    void Connect(int timeoutMs);

    // Writes the n bytes at `buffer`, in order and complete: returns once the platform has taken
    // all of them. Nothing happens for n < 1 or a null buffer. Throws ENotConnected without a
    // connection, EConnClosedGracefully on a connection known to be closed, ESocketError when a
    // send fails (after closing the socket when the connection is lost). Every write goes out at
    // once; `writeNow` is accepted for callers that ask for it.
    void Write(const void* buffer, int n, bool writeNow = true);

    // Ends the connection in order (the peer gets every byte written, then the end of the
    // stream) and forgets it. Does nothing visible on a client that is not connected.
    void Disconnect();

    // True while a connection is open on the client's side.
    bool Connected() const;

    // The steps of a write that watches its own progress, can stop between pieces and learns
    // whether the peer took the bytes. Failures are those of Write.

    // Waits at most `timeoutMs` until the platform has room for more bytes, taking note of what
    // the peer did meanwhile (bytes are thrown away; the end of its stream sets PeerEnded; a
    // reset is raised). True when there is room.
    bool WaitForRoom(int timeoutMs);
    // Hands over as many of the n bytes at `buffer` as the platform takes now, without
    // waiting; the number taken, 0 when it has no room.
    std::size_t WriteSome(const void* buffer, std::size_t n);
    // Ends the sending direction: the peer reads the end of the stream after the last byte.
    void ShutdownSend();
    // Waits at most `timeoutMs` for the end of the peer's stream; PeerEnded() afterwards. A
    // reset is raised.
    bool WaitForPeerEnd(int timeoutMs);
    // True once the peer has ended its stream (it closed or shut down its side).
    bool PeerEnded() const { return handler_ && handler_->peerEnded; }
    // Bytes handed over that the peer's side has not yet acknowledged; none where the platform
    // cannot tell and on a client that is not connected. The end of the stream itself is not
    // counted.
    std::optional<std::size_t> Unacknowledged() const;
    // Ends the connection at once with a reset and forgets it: what the platform still holds is
    // never delivered. Does nothing on a client that is not connected.
    void Abort();

private:
    // The connection state that one Connect sets up and Disconnect frees. It stays after a
    // failed Connect or a lost connection, with its socket closed.
    struct SocketHandler {
        // Declared, so that clang sees the type as constructible where the class uses it
        // before the class is complete (std::optional below).
        SocketHandler() {}
        TcpSocket socket = kNoTcpSocket;
        bool closedByPeer = false;
        // The peer's end of stream has been read.
        bool peerEnded = false;
        // The sending direction has been shut down.
        bool sendShutDown = false;
        std::uint32_t peerAddress = 0;
        int peerPort = 0;
    };

    void connectHandler(SocketHandler& handler, int timeoutMs);
    // The connected socket's handler; raises what Write raises when there is none.
    SocketHandler& connection();
    // Waits on the socket; true when it can take more bytes. Reads what the peer sent.
    bool watch(bool forWrite, int timeoutMs);
    // Closes the socket when `error` says the connection is lost, then raises it.
    [[noreturn]] void lost(const ESocketError& error);
    std::uint32_t resolve(const std::string& host);
    void closeSocket();
    void status(const std::string& text) const;

    std::optional<SocketHandler> handler_;
};
