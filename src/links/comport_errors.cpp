#include "links/comport_errors.h"

#include "base/error_text.h"

namespace {

const char* const kGeneralMessage = "Unspecified serial port error";

// Most characters of a platform text that a message keeps.
constexpr std::size_t kMaxPlatformText = 255;

const TCodeText kPortTexts[] = {
    {EBadId::kCode, "Specified comport doesn't exist"},
    {ECommNotOpen::kCode, "Device not open"},
    {EAlreadyOpen::kCode, "Device already open"},
    {ENoPortSelected::kCode, "The ComNumber property of the port has not been set"},
    {EOutputBufferTooSmall::kCode, "Output buffer too small for block"},
};

const TCodeText kIoTexts[] = {
    {kIoTooManyOpenFiles, "Too many open files"},
    {kIoInvalidHandle, "Invalid file handle"},
    {kIoInvalidDrive, "Invalid drive"},
    {kIoNoMoreFiles, "No more files"},
    {kIoReadBeyondEnd, "Attempt to read beyond end of file"},
    {kIoDiskFull, "Disk is full"},
    {kIoNotAssigned, "File/device not assigned"},
    {kIoNotOpen, "File/device not open"},
    {kIoNotOpenForInput, "File/device not open for input"},
    {kIoNotOpenForOutput, "File/device not open for output"},
    {kIoWriteProtected, "Disk is write-protected"},
    {kIoUnknownUnit, "Unknown disk unit"},
    {kIoDriveNotReady, "Drive is not ready"},
    {kIoUnknownCommand, "Unknown command"},
    {kIoDataError, "Data error"},
    {kIoBadRequestLength, "Bad request structure length"},
    {kIoSeekError, "Seek error"},
    {kIoUnknownMedia, "Unknown media type"},
    {kIoSectorNotFound, "Disk sector not found"},
    {kIoOutOfPaper, "Printer is out of paper"},
    {kIoDeviceWriteError, "Device write error"},
    {kIoDeviceReadError, "Device read error"},
    {kIoGeneralFailure, "General failure"},
};

} // namespace

std::string EPortException::messageFor(int code) {
    const std::string text = codeText(kPortTexts, code);
    return text.empty() ? kGeneralMessage : text;
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
