#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The platform's side of the network link: stream sockets, name look-up, connect, send and
// close. One source file per operating system implements these; the client's states and
// errors stay in the portable part. Failures of the platform are reported as ESocketError with
// the socket error code that matches the platform's own error. Addresses are IPv4 in host byte
// order.

using TcpSocket = std::intptr_t;
constexpr TcpSocket kNoTcpSocket = -1;

// A new IPv4 stream socket, not inherited by child processes; kNoTcpSocket when the platform
// gives none.
TcpSocket tcpOpenSocket();

// Binds the socket to a local address and port; false when the platform refuses.
bool tcpBind(TcpSocket socket, std::uint32_t address, int port);

// The first IPv4 address that the name resolver gives for `host`. Throws ESocketError.
std::uint32_t tcpLookUp(const std::string& host);

enum class TcpConnectResult { Connected, TimedOut };

// Connects the socket to the peer. With a positive `timeoutMs` gives up and returns TimedOut
// once that many milliseconds have passed; otherwise waits as long as the platform does.
// Returns as soon as the platform knows the outcome. Throws ESocketError when the connect
// fails. After Connected the socket is in blocking mode.
TcpConnectResult tcpConnect(TcpSocket socket, std::uint32_t address, int port, int timeoutMs);

// Sends up to `count` bytes with one send, blocking until the platform has taken some of them.
// Returns the number taken. Never raises a signal. Throws ESocketError.
std::size_t tcpSend(TcpSocket socket, const char* data, std::size_t count);

// Ends the connection in an orderly way and frees the socket: the peer still receives every
// byte that the platform has taken, then the end of the stream.
void tcpCloseOrderly(TcpSocket socket);

// Frees the socket at once.
void tcpClose(TcpSocket socket);

// The pieces of a send that watches its own progress.

// What a wait on a connected socket found.
struct TcpReadiness {
    bool writable = false; // the platform takes more bytes now
    bool incoming = false; // bytes, the end of the peer's stream or an error wait to be read
};

// Waits at most `timeoutMs` until the socket can take more bytes (only when `forWrite`) or
// something arrived from the peer. Nothing ready when the time passes or a signal interrupts.
TcpReadiness tcpWait(TcpSocket socket, bool forWrite, int timeoutMs);

// Sends up to `count` bytes without blocking; the number taken, 0 when the platform has no room
// now. Never raises a signal. Throws ESocketError.
std::size_t tcpSendNow(TcpSocket socket, const char* data, std::size_t count);

enum class TcpIncoming { Nothing, Data, End };

// Reads what has arrived without blocking and throws it away: Data when bytes came, End when
// the peer ended its stream, Nothing otherwise. A reset or another error of the connection
// throws ESocketError.
TcpIncoming tcpReceiveNow(TcpSocket socket);

// Ends the sending direction: the peer reads the end of the stream after the last byte taken.
// Throws ESocketError.
void tcpShutdownSend(TcpSocket socket);

// Bytes taken from the caller that the peer has not yet acknowledged (after tcpShutdownSend,
// the end of the stream counts as one); none where the platform cannot tell.
std::optional<std::size_t> tcpUnacknowledged(TcpSocket socket);

// Ends the connection at once with a reset and frees the socket: bytes that the platform still
// holds are never delivered.
void tcpAbort(TcpSocket socket);
