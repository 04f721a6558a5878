#include "links/net_errors.h"

#include "base/error_text.h"
#include "base/ui_text.h"

namespace {

constexpr TCodeText kCodeTexts[] = {
    {kSocketErrorInterrupted, UI_TEXT_NOOP("ErrorCodes", "Interrupted system call.")},
    {kSocketErrorBadFile, UI_TEXT_NOOP("ErrorCodes", "Bad file number.")},
    {kSocketErrorAccessDenied, UI_TEXT_NOOP("ErrorCodes", "Access denied.")},
    {kSocketErrorBadAddress, UI_TEXT_NOOP("ErrorCodes", "Bad address.")},
    {kSocketErrorInvalidArgument, UI_TEXT_NOOP("ErrorCodes", "Invalid argument.")},
    {kSocketErrorTooManyOpenFiles, UI_TEXT_NOOP("ErrorCodes", "Too many open files.")},
    {kSocketErrorWouldBlock, UI_TEXT_NOOP("ErrorCodes", "Operation would block. ")},
    {kSocketErrorInProgress, UI_TEXT_NOOP("ErrorCodes", "Operation now in progress.")},
    {kSocketErrorAlreadyInProgress, UI_TEXT_NOOP("ErrorCodes", "Operation already in progress.")},
    {kSocketErrorNotASocket, UI_TEXT_NOOP("ErrorCodes", "Socket operation on non-socket.")},
    {kSocketErrorDestinationRequired, UI_TEXT_NOOP("ErrorCodes", "Destination address required.")},
    {kSocketErrorMessageTooLong, UI_TEXT_NOOP("ErrorCodes", "Message too long.")},
    {kSocketErrorWrongProtocolType, UI_TEXT_NOOP("ErrorCodes", "Protocol wrong type for socket.")},
    {kSocketErrorBadProtocolOption, UI_TEXT_NOOP("ErrorCodes", "Bad protocol option.")},
    {kSocketErrorProtocolNotSupported, UI_TEXT_NOOP("ErrorCodes", "Protocol not supported.")},
    {kSocketErrorSocketTypeNotSupported, UI_TEXT_NOOP("ErrorCodes", "Socket type not supported.")},
    {kSocketErrorOperationNotSupported,
     UI_TEXT_NOOP("ErrorCodes", "Operation not supported on socket.")},
    {kSocketErrorProtocolFamilyNotSupported,
     UI_TEXT_NOOP("ErrorCodes", "Protocol family not supported.")},
    {kSocketErrorAddressFamilyNotSupported,
     UI_TEXT_NOOP("ErrorCodes", "Address family not supported by protocol family.")},
    {kSocketErrorAddressInUse, UI_TEXT_NOOP("ErrorCodes", "Address already in use.")},
    {kSocketErrorAddressNotAvailable,
     UI_TEXT_NOOP("ErrorCodes", "Cannot assign requested address.")},
    {kSocketErrorNetworkDown, UI_TEXT_NOOP("ErrorCodes", "Network is down.")},
    {kSocketErrorNetworkUnreachable, UI_TEXT_NOOP("ErrorCodes", "Network is unreachable.")},
    {kSocketErrorNetworkReset, UI_TEXT_NOOP("ErrorCodes", "Net dropped connection or reset.")},
    {kSocketErrorConnAborted, UI_TEXT_NOOP("ErrorCodes", "Software caused connection abort.")},
    {kSocketErrorConnReset, UI_TEXT_NOOP("ErrorCodes", "Connection reset by peer.")},
    {kSocketErrorNoBufferSpace, UI_TEXT_NOOP("ErrorCodes", "No buffer space available.")},
    {kSocketErrorAlreadyConnected, UI_TEXT_NOOP("ErrorCodes", "Socket is already connected.")},
    {kSocketErrorNotConnected, UI_TEXT_NOOP("ErrorCodes", "Socket is not connected.")},
    {kSocketErrorShutdown,
     UI_TEXT_NOOP("ErrorCodes", "Cannot send or receive after socket is closed.")},
    {kSocketErrorTooManyReferences,
     UI_TEXT_NOOP("ErrorCodes", "Too many references, cannot splice.")},
    {kSocketErrorTimedOut, UI_TEXT_NOOP("ErrorCodes", "Connection timed out.")},
    {kSocketErrorConnRefused, UI_TEXT_NOOP("ErrorCodes", "Connection refused.")},
    {kSocketErrorTooManyLinks, UI_TEXT_NOOP("ErrorCodes", "Too many levels of symbolic links.")},
    {kSocketErrorNameTooLong, UI_TEXT_NOOP("ErrorCodes", "File name too long.")},
    {kSocketErrorHostDown, UI_TEXT_NOOP("ErrorCodes", "Host is down.")},
    {kSocketErrorHostUnreachable, UI_TEXT_NOOP("ErrorCodes", "No route to host.")},
    {kSocketErrorNotEmpty, UI_TEXT_NOOP("ErrorCodes", "Directory not empty")},
    {kSocketErrorHostNotFound, UI_TEXT_NOOP("ErrorCodes", "Host not found.")},
};

} // namespace

std::string socketErrorText(int code) {
    return codeText(kCodeTexts, code);
}

std::string socketErrorMessage(int code, const std::string& text) {
    return fillIn(uiText("ErrorCodes", "Socket Error # %1"), {std::to_string(code)}) + "\r\n" +
           text;
}

ESocketError::ESocketError(int code)
    : ESocketError(code, socketErrorText(code)) {}

ESocketError::ESocketError(int code, const std::string& text)
    : ENetException(socketErrorMessage(code, text))
    , code_(code) {}
