#include "links/tcpclient_posix.h"
#include "links/tcpclient_platform.h"

#include "links/net_errors.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/sockios.h>
#endif

namespace {

struct ErrnoCode {
    int error;
    int code;
};

constexpr ErrnoCode kErrnoCodes[] = {
    {EINTR, kSocketErrorInterrupted},
    {EBADF, kSocketErrorBadFile},
    {EACCES, kSocketErrorAccessDenied},
    {EPERM, kSocketErrorAccessDenied},
    {EFAULT, kSocketErrorBadAddress},
    {EINVAL, kSocketErrorInvalidArgument},
    {EMFILE, kSocketErrorTooManyOpenFiles},
    {ENFILE, kSocketErrorTooManyOpenFiles},
    {EAGAIN, kSocketErrorWouldBlock},
    {EWOULDBLOCK, kSocketErrorWouldBlock},
    {EINPROGRESS, kSocketErrorInProgress},
    {EALREADY, kSocketErrorAlreadyInProgress},
    {ENOTSOCK, kSocketErrorNotASocket},
    {EDESTADDRREQ, kSocketErrorDestinationRequired},
    {EMSGSIZE, kSocketErrorMessageTooLong},
    {EPROTOTYPE, kSocketErrorWrongProtocolType},
    {ENOPROTOOPT, kSocketErrorBadProtocolOption},
    {EPROTONOSUPPORT, kSocketErrorProtocolNotSupported},
    {ESOCKTNOSUPPORT, kSocketErrorSocketTypeNotSupported},
    {EOPNOTSUPP, kSocketErrorOperationNotSupported},
    {EPFNOSUPPORT, kSocketErrorProtocolFamilyNotSupported},
    {EAFNOSUPPORT, kSocketErrorAddressFamilyNotSupported},
    {EADDRINUSE, kSocketErrorAddressInUse},
    {EADDRNOTAVAIL, kSocketErrorAddressNotAvailable},
    {ENETDOWN, kSocketErrorNetworkDown},
    {ENETUNREACH, kSocketErrorNetworkUnreachable},
    {ENETRESET, kSocketErrorNetworkReset},
    {ECONNABORTED, kSocketErrorConnAborted},
    {ECONNRESET, kSocketErrorConnReset},
    {ENOBUFS, kSocketErrorNoBufferSpace},
    {ENOMEM, kSocketErrorNoBufferSpace},
    {EISCONN, kSocketErrorAlreadyConnected},
    {ENOTCONN, kSocketErrorNotConnected},
    // A send after the connection has ended (reset earlier, or shut down on this side).
    {EPIPE, kSocketErrorShutdown},
    {ESHUTDOWN, kSocketErrorShutdown},
    {ETOOMANYREFS, kSocketErrorTooManyReferences},
    {ETIMEDOUT, kSocketErrorTimedOut},
    {ECONNREFUSED, kSocketErrorConnRefused},
    {ELOOP, kSocketErrorTooManyLinks},
    {ENAMETOOLONG, kSocketErrorNameTooLong},
    {EHOSTDOWN, kSocketErrorHostDown},
    {EHOSTUNREACH, kSocketErrorHostUnreachable},
    {ENOTEMPTY, kSocketErrorNotEmpty},
};

// The socket error for an errno value: the code table's code and text where there is one,
// otherwise the errno value with the platform's text.
[[noreturn]] void throwErrno(int error) {
    const int code = socketCodeFromErrno(error);
    if (code != 0)
        throw ESocketError(code);
    throw ESocketError(error, std::string(std::strerror(error)) + ".");
}

// Throws the error that the socket has recorded (the outcome of a connect, a reset), if any.
void throwPendingError(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        throwErrno(errno);
    if (error != 0)
        throwErrno(error);
}

sockaddr_in socketAddress(std::uint32_t address, int port) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr.s_addr = htonl(address);
    return peer;
}

bool setBlocking(int fd, bool blocking) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0)
        return false;
    const int wanted = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
    return wanted == flags || ::fcntl(fd, F_SETFL, wanted) == 0;
}

} // namespace

int socketCodeFromErrno(int error) {
    for (const ErrnoCode& entry : kErrnoCodes) {
        if (entry.error == error)
            return entry.code;
    }
    return 0;
}

int socketCodeFromResolver(int result) {
    switch (result) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return kSocketErrorHostNotFound;
    case EAI_AGAIN:
        return kSocketErrorTryAgain;
    case EAI_MEMORY:
        return kSocketErrorNoBufferSpace;
    default:
        return kSocketErrorNoRecovery;
    }
}

TcpSocket tcpOpenSocket() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd < 0 ? kNoTcpSocket : fd;
}

bool tcpBind(TcpSocket socket, std::uint32_t address, int port) {
    const sockaddr_in local = socketAddress(address, port);
    return ::bind(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&local),
                  sizeof local) == 0;
}

std::uint32_t tcpLookUp(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* answer = nullptr;
    const int result = ::getaddrinfo(host.c_str(), nullptr, &hints, &answer);
    if (result == EAI_SYSTEM)
        throwErrno(errno);
    if (result != 0) {
        const int code = socketCodeFromResolver(result);
        const std::string text = socketErrorText(code);
        throw ESocketError(code, text.empty() ? std::string(::gai_strerror(result)) + "." : text);
    }
    for (const addrinfo* entry = answer; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr) {
            sockaddr_in found{};
            std::memcpy(&found, entry->ai_addr, sizeof found);
            ::freeaddrinfo(answer);
            return ntohl(found.sin_addr.s_addr);
        }
    }
    ::freeaddrinfo(answer);
    throw ESocketError(kSocketErrorHostNotFound);
}

TcpConnectResult tcpConnect(TcpSocket socket, std::uint32_t address, int port, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const int fd = static_cast<int>(socket);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    // The connect runs without blocking so that the wait below can end it at the deadline and
    // still notice the answer of the peer the moment that it arrives.
    if (!setBlocking(fd, false))
        throwErrno(errno);
    const sockaddr_in peer = socketAddress(address, port);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS && errno != EINTR)
            throwErrno(errno);
        while (true) {
            int waitMs = -1;
            if (timeoutMs > 0) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return TcpConnectResult::TimedOut;
                waitMs = static_cast<int>(left.count());
            }
            pollfd watch{fd, POLLOUT, 0};
            const int ready = ::poll(&watch, 1, waitMs);
            if (ready < 0 && errno != EINTR)
                throwErrno(errno);
            if (ready > 0)
                break;
        }
        throwPendingError(fd);
    }
    if (!setBlocking(fd, true))
        throwErrno(errno);
    return TcpConnectResult::Connected;
}

std::size_t tcpSend(TcpSocket socket, const char* data, std::size_t count) {
    while (true) {
        const ssize_t sent = ::send(static_cast<int>(socket), data, count, MSG_NOSIGNAL);
        if (sent >= 0)
            return static_cast<std::size_t>(sent);
        if (errno != EINTR)
            throwErrno(errno);
    }
}

void tcpCloseOrderly(TcpSocket socket) {
    const int fd = static_cast<int>(socket);
    ::shutdown(fd, SHUT_WR);
    // Bytes that the peer sent and that nobody read would make the close reset the connection,
    // and a reset throws away whatever the peer has not yet received. The link never reads, so
    // drop them first: the close then ends the connection in order after the last byte.
    char sink[4096];
    for (int i = 0; i < 256; ++i) {
        const ssize_t got = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (got > 0)
            continue;
        if (got < 0 && errno == EINTR)
            continue;
        break;
    }
    ::close(fd);
}

void tcpClose(TcpSocket socket) {
    ::close(static_cast<int>(socket));
}

TcpReadiness tcpWait(TcpSocket socket, bool forWrite, int timeoutMs) {
    pollfd watch{static_cast<int>(socket), static_cast<short>(POLLIN | (forWrite ? POLLOUT : 0)),
                 0};
    TcpReadiness ready;
    if (::poll(&watch, 1, timeoutMs) <= 0)
        return ready;
    // An error or a hang-up is read like anything else that arrived: the read reports it.
    ready.incoming = (watch.revents & (POLLIN | POLLERR | POLLHUP | POLLNVAL)) != 0;
    ready.writable = forWrite && (watch.revents & POLLOUT) && !(watch.revents & POLLERR);
    return ready;
}

std::size_t tcpSendNow(TcpSocket socket, const char* data, std::size_t count) {
    while (true) {
        const ssize_t sent =
            ::send(static_cast<int>(socket), data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0)
            return static_cast<std::size_t>(sent);
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            throwErrno(errno);
    }
}

TcpIncoming tcpReceiveNow(TcpSocket socket) {
    const int fd = static_cast<int>(socket);
    // A pending error (a reset) comes first, even when bytes wait in front of it.
    throwPendingError(fd);
    char sink[4096];
    TcpIncoming result = TcpIncoming::Nothing;
    for (int i = 0; i < 64; ++i) {
        const ssize_t got = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (got > 0) {
            result = TcpIncoming::Data;
            continue;
        }
        if (got == 0)
            return TcpIncoming::End;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        throwErrno(errno);
    }
    return result;
}

void tcpShutdownSend(TcpSocket socket) {
    if (::shutdown(static_cast<int>(socket), SHUT_WR) != 0)
        throwErrno(errno);
}

std::optional<std::size_t> tcpUnacknowledged(TcpSocket socket) {
#ifdef SIOCOUTQ
    // The bytes of the send queue: sent and not acknowledged, and not yet sent.
    int queued = 0;
    if (::ioctl(static_cast<int>(socket), SIOCOUTQ, &queued) == 0 && queued >= 0)
        return static_cast<std::size_t>(queued);
#else
    (void)socket;
#endif
    return std::nullopt;
}

void tcpAbort(TcpSocket socket) {
    const int fd = static_cast<int>(socket);
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
}
