#include "links/net_errors.h"

#include "base/error_text.h"

namespace {

constexpr TCodeText kCodeTexts[] = {
    {kSocketErrorInterrupted, "Interrupted system call."},
    {kSocketErrorBadFile, "Bad file number."},
    {kSocketErrorAccessDenied, "Access denied."},
    {kSocketErrorBadAddress, "Bad address."},
    {kSocketErrorInvalidArgument, "Invalid argument."},
    {kSocketErrorTooManyOpenFiles, "Too many open files."},
    {kSocketErrorWouldBlock, "Operation would block. "},
    {kSocketErrorInProgress, "Operation now in progress."},
    {kSocketErrorAlreadyInProgress, "Operation already in progress."},
    {kSocketErrorNotASocket, "Socket operation on non-socket."},
    {kSocketErrorDestinationRequired, "Destination address required."},
    {kSocketErrorMessageTooLong, "Message too long."},
    {kSocketErrorWrongProtocolType, "Protocol wrong type for socket."},
    {kSocketErrorBadProtocolOption, "Bad protocol option."},
    {kSocketErrorProtocolNotSupported, "Protocol not supported."},
    {kSocketErrorSocketTypeNotSupported, "Socket type not supported."},
    {kSocketErrorOperationNotSupported, "Operation not supported on socket."},
    {kSocketErrorProtocolFamilyNotSupported, "Protocol family not supported."},
    {kSocketErrorAddressFamilyNotSupported, "Address family not supported by protocol family."},
    {kSocketErrorAddressInUse, "Address already in use."},
    {kSocketErrorAddressNotAvailable, "Cannot assign requested address."},
    {kSocketErrorNetworkDown, "Network is down."},
    {kSocketErrorNetworkUnreachable, "Network is unreachable."},
    {kSocketErrorNetworkReset, "Net dropped connection or reset."},
    {kSocketErrorConnAborted, "Software caused connection abort."},
    {kSocketErrorConnReset, "Connection reset by peer."},
    {kSocketErrorNoBufferSpace, "No buffer space available."},
    {kSocketErrorAlreadyConnected, "Socket is already connected."},
    {kSocketErrorNotConnected, "Socket is not connected."},
    {kSocketErrorShutdown, "Cannot send or receive after socket is closed."},
    {kSocketErrorTooManyReferences, "Too many references, cannot splice."},
    {kSocketErrorTimedOut, "Connection timed out."},
    {kSocketErrorConnRefused, "Connection refused."},
    {kSocketErrorTooManyLinks, "Too many levels of symbolic links."},
    {kSocketErrorNameTooLong, "File name too long."},
    {kSocketErrorHostDown, "Host is down."},
    {kSocketErrorHostUnreachable, "No route to host."},
    {kSocketErrorNotEmpty, "Directory not empty"},
    {kSocketErrorHostNotFound, "Host not found."},
};

} // namespace

std::string socketErrorText(int code) {
    return codeText(kCodeTexts, code);
}

std::string socketErrorMessage(int code, const std::string& text) {
    return "Socket Error # " + std::to_string(code) + "\r\n" + text;
}

ESocketError::ESocketError(int code)
    : ESocketError(code, socketErrorText(code)) {}

ESocketError::ESocketError(int code, const std::string& text)
    : ENetException(socketErrorMessage(code, text))
    , code_(code) {}
