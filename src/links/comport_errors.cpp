#include "links/comport_errors.h"

#include "base/error_text.h"
#include "base/ui_text.h"

namespace {

const char* const kGeneralMessage = UI_TEXT_NOOP("ErrorCodes", "Unspecified serial port error");

// Most characters of a platform text that a message keeps.
constexpr std::size_t kMaxPlatformText = 255;

const TCodeText kPortTexts[] = {
    {EBadId::kCode, UI_TEXT_NOOP("ErrorCodes", "Specified comport doesn't exist")},
    {ECommNotOpen::kCode, UI_TEXT_NOOP("ErrorCodes", "Device not open")},
    {EAlreadyOpen::kCode, UI_TEXT_NOOP("ErrorCodes", "Device already open")},
    {ENoPortSelected::kCode,
     UI_TEXT_NOOP("ErrorCodes", "The ComNumber property of the port has not been set")},
    {EOutputBufferTooSmall::kCode, UI_TEXT_NOOP("ErrorCodes", "Output buffer too small for block")},
};

const TCodeText kIoTexts[] = {
    {kIoTooManyOpenFiles, UI_TEXT_NOOP("ErrorCodes", "Too many open files")},
    {kIoInvalidHandle, UI_TEXT_NOOP("ErrorCodes", "Invalid file handle")},
    {kIoInvalidDrive, UI_TEXT_NOOP("ErrorCodes", "Invalid drive")},
    {kIoNoMoreFiles, UI_TEXT_NOOP("ErrorCodes", "No more files")},
    {kIoReadBeyondEnd, UI_TEXT_NOOP("ErrorCodes", "Attempt to read beyond end of file")},
    {kIoDiskFull, UI_TEXT_NOOP("ErrorCodes", "Disk is full")},
    {kIoNotAssigned, UI_TEXT_NOOP("ErrorCodes", "File/device not assigned")},
    {kIoNotOpen, UI_TEXT_NOOP("ErrorCodes", "File/device not open")},
    {kIoNotOpenForInput, UI_TEXT_NOOP("ErrorCodes", "File/device not open for input")},
    {kIoNotOpenForOutput, UI_TEXT_NOOP("ErrorCodes", "File/device not open for output")},
    {kIoWriteProtected, UI_TEXT_NOOP("ErrorCodes", "Disk is write-protected")},
    {kIoUnknownUnit, UI_TEXT_NOOP("ErrorCodes", "Unknown disk unit")},
    {kIoDriveNotReady, UI_TEXT_NOOP("ErrorCodes", "Drive is not ready")},
    {kIoUnknownCommand, UI_TEXT_NOOP("ErrorCodes", "Unknown command")},
    {kIoDataError, UI_TEXT_NOOP("ErrorCodes", "Data error")},
    {kIoBadRequestLength, UI_TEXT_NOOP("ErrorCodes", "Bad request structure length")},
    {kIoSeekError, UI_TEXT_NOOP("ErrorCodes", "Seek error")},
    {kIoUnknownMedia, UI_TEXT_NOOP("ErrorCodes", "Unknown media type")},
    {kIoSectorNotFound, UI_TEXT_NOOP("ErrorCodes", "Disk sector not found")},
    {kIoOutOfPaper, UI_TEXT_NOOP("ErrorCodes", "Printer is out of paper")},
    {kIoDeviceWriteError, UI_TEXT_NOOP("ErrorCodes", "Device write error")},
    {kIoDeviceReadError, UI_TEXT_NOOP("ErrorCodes", "Device read error")},
    {kIoGeneralFailure, UI_TEXT_NOOP("ErrorCodes", "General failure")},
};

} // namespace

std::string EPortException::messageFor(int code) {
    const std::string text = codeText(kPortTexts, code);
    return text.empty() ? uiText("ErrorCodes", kGeneralMessage) : text;
}

std::string ownIoErrorText(int errorCode) {
    return codeText(kIoTexts, errorCode);
}

std::string cleanPlatformText(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char ch = (byte < 0x20 || byte == 0x7F) ? ' ' : c;
        if (ch == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out += ch;
        if (out.size() == kMaxPlatformText)
            break;
    }
    return out;
}

void throwPlatformError(int errorCode, const std::string& platformText) {
    if (errorCode >= kFirstIoCode && errorCode <= kLastIoCode) {
        std::string text = ownIoErrorText(errorCode);
        throw EInOutError(errorCode, text.empty() ? cleanPlatformText(platformText) : text);
    }
    switch (-errorCode) {
    case EBadId::kCode:
        throw EBadId();
    case EAlreadyOpen::kCode:
        throw EAlreadyOpen();
    case ECommNotOpen::kCode:
        throw ECommNotOpen();
    case ENoPortSelected::kCode:
        throw ENoPortSelected();
    case EOutputBufferTooSmall::kCode:
        throw EOutputBufferTooSmall();
    default:
        throw EPortException(-errorCode, kGeneralMessage);
    }
}
