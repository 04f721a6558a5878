#include "links/tcpclient.h"

#include "links/net_errors.h"
#include "links/tcp_host_address.h"

#include <algorithm>
#include <chrono>
#include <thread>

TTcpClient::~TTcpClient() {
    if (handler_ && handler_->socket != kNoTcpSocket)
        tcpCloseOrderly(handler_->socket);
}

bool TTcpClient::Connected() const {
    return handler_ && handler_->socket != kNoTcpSocket;
}

void TTcpClient::Connect(int timeoutMs) {
    if (Connected())
        throw EAlreadyConnected();
    if (!handler_)
        handler_.emplace();
    SocketHandler& handler = *handler_;
    handler.closedByPeer = false;
    handler.peerEnded = false;
    handler.sendShutDown = false;
    try {
        connectHandler(handler, timeoutMs);
    } catch (...) {
        closeSocket();
        throw;
    }
    status("Connected.");
}

void TTcpClient::connectHandler(SocketHandler& handler, int timeoutMs) {
    handler.socket = tcpOpenSocket();
    if (handler.socket == kNoTcpSocket)
        throw EInvalidSocket();
    // Binding to any address and any port is what the connect does by itself anyway.
    if (!BoundIP.empty() || BoundPort != 0) {
        if (BoundPort < 0 || BoundPort > 0xFFFF)
            throw ECouldNotBindSocket();
        const std::uint32_t local = BoundIP.empty() ? 0 : resolve(BoundIP);
        if (!tcpBind(handler.socket, local, BoundPort))
            throw ECouldNotBindSocket();
    }

    // A port outside the TCP range would otherwise be cut down to some other port.
    if (Port < 0 || Port > 0xFFFF)
        throw ESocketError(kSocketErrorInvalidArgument);
    handler.peerAddress = resolve(Host);
    handler.peerPort = Port;

    status("Connecting to " + dottedAddress(handler.peerAddress) + ".");
    if (timeoutMs > 0) {
        TcpConnectResult result;
        try {
            result = tcpConnect(handler.socket, handler.peerAddress, handler.peerPort, timeoutMs);
        } catch (const ESocketError& error) {
            throw EConnectFailed(error.what());
        }
        if (result == TcpConnectResult::TimedOut)
            throw EConnectTimeout();
    } else {
        tcpConnect(handler.socket, handler.peerAddress, handler.peerPort, 0);
    }
}

std::uint32_t TTcpClient::resolve(const std::string& host) {
    if (const auto address = literalHostAddress(host))
        return *address;
    status("Resolving hostname " + host + ".");
    // The empty text and names under the reserved domain "invalid" never name a host; asking
    // the name servers about them would only send them a question without an answer.
    if (isNeverAHostName(host))
        throw ESocketError(kSocketErrorHostNotFound);
    return tcpLookUp(host);
}

void TTcpClient::Write(const void* buffer, int n, bool /*writeNow*/) {
    if (n < 1 || !buffer)
        return;
    if (handler_ && (handler_->socket == kNoTcpSocket || handler_->closedByPeer)) {
        closeSocket();
        throw EConnClosedGracefully();
    }
    if (!handler_)
        throw ENotConnected();

    const char* bytes = static_cast<const char*>(buffer);
    const auto total = static_cast<std::size_t>(n);
    std::size_t sent = 0;
    while (sent < total) {
        std::size_t taken = 0;
        try {
            taken = tcpSend(handler_->socket, bytes + sent, total - sent);
        } catch (const ESocketError& error) {
            lost(error);
        }
        if (taken == 0) {
            handler_->closedByPeer = true;
            closeSocket();
            throw EConnClosedGracefully();
        }
        sent += taken;
    }
}

void TTcpClient::Disconnect() {
    const bool wasConnected = Connected();
    if (wasConnected) {
        status("Disconnecting.");
        handler_->closedByPeer = true;
        tcpCloseOrderly(handler_->socket);
        handler_->socket = kNoTcpSocket;
    }
    handler_.reset();
    if (wasConnected)
        status("Disconnected.");
}

void TTcpClient::lost(const ESocketError& error) {
    if (error.code() == kSocketErrorConnAborted || error.code() == kSocketErrorConnReset ||
        error.code() == kSocketErrorShutdown)
        closeSocket();
    throw error;
}

TTcpClient::SocketHandler& TTcpClient::connection() {
    if (handler_ && (handler_->socket == kNoTcpSocket || handler_->closedByPeer)) {
        closeSocket();
        throw EConnClosedGracefully();
    }
    if (!handler_)
        throw ENotConnected();
    return *handler_;
}

bool TTcpClient::watch(bool forWrite, int timeoutMs) {
    SocketHandler& handler = connection();
    const TcpReadiness ready = tcpWait(handler.socket, forWrite, timeoutMs);
    if (ready.incoming) {
        try {
            if (tcpReceiveNow(handler.socket) == TcpIncoming::End)
                handler.peerEnded = true;
        } catch (const ESocketError& error) {
            lost(error);
        }
    }
    return ready.writable;
}

bool TTcpClient::WaitForRoom(int timeoutMs) {
    return watch(true, timeoutMs);
}

std::size_t TTcpClient::WriteSome(const void* buffer, std::size_t n) {
    SocketHandler& handler = connection();
    if (n == 0 || !buffer)
        return 0;
    try {
        return tcpSendNow(handler.socket, static_cast<const char*>(buffer), n);
    } catch (const ESocketError& error) {
        lost(error);
    }
}

void TTcpClient::ShutdownSend() {
    SocketHandler& handler = connection();
    try {
        tcpShutdownSend(handler.socket);
    } catch (const ESocketError& error) {
        lost(error);
    }
    handler.sendShutDown = true;
}

bool TTcpClient::WaitForPeerEnd(int timeoutMs) {
    if (PeerEnded()) {
        // The socket stays readable after the end of the stream: only a reset can still come,
        // and a look now and then finds it.
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max(timeoutMs, 0)));
        watch(false, 0);
    } else {
        watch(false, timeoutMs);
    }
    return PeerEnded();
}

std::optional<std::size_t> TTcpClient::Unacknowledged() const {
    if (!Connected())
        return std::nullopt;
    const std::optional<std::size_t> queued = tcpUnacknowledged(handler_->socket);
    if (!queued)
        return std::nullopt;
    return handler_->sendShutDown && *queued > 0 ? *queued - 1 : *queued;
}

void TTcpClient::Abort() {
    if (Connected()) {
        status("Disconnecting.");
        tcpAbort(handler_->socket);
        handler_->socket = kNoTcpSocket;
        handler_.reset();
        status("Disconnected.");
        return;
    }
    handler_.reset();
}

void TTcpClient::closeSocket() {
    if (handler_ && handler_->socket != kNoTcpSocket) {
        tcpClose(handler_->socket);
        handler_->socket = kNoTcpSocket;
    }
}

void TTcpClient::status(const std::string& text) const {
    if (OnStatus)
        OnStatus(text);
}
