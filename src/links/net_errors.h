#pragma once

#include "base/ui_text.h"

#include <stdexcept>
#include <string>

// Failures of the network link. Their messages are shown to the user as they are.
class ENetException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A platform socket call failed (name look-up, connect, send). Carries the socket error code;
// the message is "Socket Error # <code>", CR LF, then the code's text.
class ESocketError : public ENetException {
public:
    explicit ESocketError(int code);
    // For platform errors outside the code table: the given text follows the code instead.
    ESocketError(int code, const std::string& text);

    int code() const { return code_; }

private:
    int code_;
};

// Connect on a client that is already connected.
class EAlreadyConnected : public ENetException {
public:
    EAlreadyConnected()
        : ENetException(uiText("ErrorCodes", "Already connected.")) {}
};

// The connect did not finish within its time-out.
class EConnectTimeout : public ENetException {
public:
    EConnectTimeout()
        : ENetException(uiText("ErrorCodes", "Connect timed out.")) {}
};

// A connect with a time-out failed; carries the message of the socket error behind it.
class EConnectFailed : public ENetException {
public:
    explicit EConnectFailed(const std::string& socketErrorMessage)
        : ENetException(socketErrorMessage) {}
};

// The platform gave no socket.
class EInvalidSocket : public ENetException {
public:
    EInvalidSocket()
        : ENetException(uiText("ErrorCodes", "Cannot allocate socket.")) {}
};

// The socket could not be bound to the local address and port asked for.
class ECouldNotBindSocket : public ENetException {
public:
    ECouldNotBindSocket()
        : ENetException(uiText("ErrorCodes",
                               "Could not bind socket. Address and port are already in use.")) {}
};

// Write on a client that has no connection.
class ENotConnected : public ENetException {
public:
    ENotConnected()
        : ENetException(uiText("ErrorCodes", "Not Connected")) {}
};

// Write on a connection that is known to be closed, or whose send took nothing.
class EConnClosedGracefully : public ENetException {
public:
    EConnClosedGracefully()
        : ENetException(uiText("ErrorCodes", "Connection Closed Gracefully.")) {}
};

// Socket error codes. Those from kSocketErrorInterrupted to kSocketErrorHostNotFound have a text
// of their own (socketErrorText); the name resolver's other two have none.
constexpr int kSocketErrorInterrupted = 10004;
constexpr int kSocketErrorBadFile = 10009;
constexpr int kSocketErrorAccessDenied = 10013;
constexpr int kSocketErrorBadAddress = 10014;
constexpr int kSocketErrorInvalidArgument = 10022;
constexpr int kSocketErrorTooManyOpenFiles = 10024;
constexpr int kSocketErrorWouldBlock = 10035;
constexpr int kSocketErrorInProgress = 10036;
constexpr int kSocketErrorAlreadyInProgress = 10037;
constexpr int kSocketErrorNotASocket = 10038;
constexpr int kSocketErrorDestinationRequired = 10039;
constexpr int kSocketErrorMessageTooLong = 10040;
constexpr int kSocketErrorWrongProtocolType = 10041;
constexpr int kSocketErrorBadProtocolOption = 10042;
constexpr int kSocketErrorProtocolNotSupported = 10043;
constexpr int kSocketErrorSocketTypeNotSupported = 10044;
constexpr int kSocketErrorOperationNotSupported = 10045;
constexpr int kSocketErrorProtocolFamilyNotSupported = 10046;
constexpr int kSocketErrorAddressFamilyNotSupported = 10047;
constexpr int kSocketErrorAddressInUse = 10048;
constexpr int kSocketErrorAddressNotAvailable = 10049;
constexpr int kSocketErrorNetworkDown = 10050;
constexpr int kSocketErrorNetworkUnreachable = 10051;
constexpr int kSocketErrorNetworkReset = 10052;
constexpr int kSocketErrorConnAborted = 10053;
constexpr int kSocketErrorConnReset = 10054;
constexpr int kSocketErrorNoBufferSpace = 10055;
constexpr int kSocketErrorAlreadyConnected = 10056;
constexpr int kSocketErrorNotConnected = 10057;
constexpr int kSocketErrorShutdown = 10058;
constexpr int kSocketErrorTooManyReferences = 10059;
constexpr int kSocketErrorTimedOut = 10060;
constexpr int kSocketErrorConnRefused = 10061;
constexpr int kSocketErrorTooManyLinks = 10062;
constexpr int kSocketErrorNameTooLong = 10063;
constexpr int kSocketErrorHostDown = 10064;
constexpr int kSocketErrorHostUnreachable = 10065;
constexpr int kSocketErrorNotEmpty = 10066;
constexpr int kSocketErrorHostNotFound = 11001;
constexpr int kSocketErrorTryAgain = 11002;   // the resolver failed for now
constexpr int kSocketErrorNoRecovery = 11003; // the resolver failed for good

// The text of a socket error code; empty for a code without one.
std::string socketErrorText(int code);

// "Socket Error # <code>", CR LF, then the text.
std::string socketErrorMessage(int code, const std::string& text);
