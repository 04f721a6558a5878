#pragma once

#include "links/tcpclient_platform.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

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
    std::int32_t Port = 23;
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

private:
    // The connection state that one Connect sets up and Disconnect frees. It stays after a
    // failed Connect or a lost connection, with its socket closed.
    struct SocketHandler {
        // Declared, so that clang sees the type as constructible where the class uses it
        // before the class is complete (std::optional below).
        SocketHandler() {}
        TcpSocket socket = kNoTcpSocket;
        bool closedByPeer = false;
        std::uint32_t peerAddress = 0;
        int peerPort = 0;
    };

    void connectHandler(SocketHandler& handler, int timeoutMs);
    std::uint32_t resolve(const std::string& host);
    void closeSocket();
    void status(const std::string& text) const;

    std::optional<SocketHandler> handler_;
};
