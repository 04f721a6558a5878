#include "links/comport_errors.h"

namespace {

const char* const kGeneralMessage = "Unspecified serial port error";

struct CodeText {
    int code;
    const char* text;
};

const CodeText kPortTexts[] = {
    {EBadId::kCode, "Specified comport doesn't exist"},
    {ECommNotOpen::kCode, "Device not open"},
    {EAlreadyOpen::kCode, "Device already open"},
    {ENoPortSelected::kCode, "The ComNumber property of the port has not been set"},
    {EOutputBufferTooSmall::kCode, "Output buffer too small for block"},
};

const CodeText kIoTexts[] = {
    {4, "Too many open files"},
    {6, "Invalid file handle"},
    {15, "Invalid drive"},
    {18, "No more files"},
    {100, "Attempt to read beyond end of file"},
    {101, "Disk is full"},
    {102, "File/device not assigned"},
    {103, "File/device not open"},
    {104, "File/device not open for input"},
    {105, "File/device not open for output"},
    {150, "Disk is write-protected"},
    {151, "Unknown disk unit"},
    {152, "Drive is not ready"},
    {153, "Unknown command"},
    {154, "Data error"},
    {155, "Bad request structure length"},
    {156, "Seek error"},
    {157, "Unknown media type"},
    {158, "Disk sector not found"},
    {159, "Printer is out of paper"},
    {160, "Device write error"},
    {161, "Device read error"},
    {162, "General failure"},
};

} // namespace

std::string EPortException::messageFor(int code) {
    for (const CodeText& entry : kPortTexts)
        if (entry.code == code)
            return entry.text;
    return kGeneralMessage;
}

std::string ownIoErrorText(int errorCode) {
    for (const CodeText& entry : kIoTexts)
        if (entry.code == errorCode)
            return entry.text;
    return {};
}

std::string cleanPlatformText(const std::string& text) {
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char ch = (byte < 0x20 || byte == 0x7F) ? ' ' : c;
        if (ch == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out += ch;
        if (out.size() == 255)
            break;
    }
    return out;
}

void throwPlatformError(int errorCode, const std::string& platformText) {
    if (errorCode >= 2 && errorCode <= 162) {
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
