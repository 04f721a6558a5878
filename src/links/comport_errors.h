#pragma once

#include <stdexcept>
#include <string>

// Failures of the serial port. Every one carries a negative code besides its message; the
// messages are shown to the user as they are.
class EPortException : public std::runtime_error {
public:
    EPortException(int code, const std::string& message)
        : std::runtime_error(message)
        , code_(code) {}
    int code() const { return code_; }

    // The message for one of the port's own codes, or the general message for any other.
    static std::string messageFor(int code);

private:
    int code_;
};

// The port could not be opened or is not open.
class EOpenComm : public EPortException {
public:
    using EPortException::EPortException;
};

// Bytes could not be passed to or from the port.
class ESerialIO : public EPortException {
public:
    using EPortException::EPortException;
};

// A failure with a code of the port's own, `Code`, and that code's message, in `Family`.
template <class Family, int Code>
class TOwnPortError : public Family {
public:
    static constexpr int kCode = Code;
    TOwnPortError()
        : Family(kCode, EPortException::messageFor(kCode)) {}
};

// The device of the port number does not exist.
class EBadId : public TOwnPortError<EOpenComm, -2001> {};
// Another program holds the device.
class EAlreadyOpen : public TOwnPortError<EOpenComm, -2008> {};
// An operation that needs the device was called on a closed port.
class ECommNotOpen : public TOwnPortError<EOpenComm, -2007> {};
// No port number was set and none was chosen.
class ENoPortSelected : public TOwnPortError<EOpenComm, -2011> {};
// The output queue is full.
class EOutputBufferTooSmall : public TOwnPortError<ESerialIO, -3006> {};

// An input/output error of the platform, carrying its platform code e (positive) and the
// port code -e.
class EInOutError : public EPortException {
public:
    EInOutError(int errorCode, const std::string& message)
        : EPortException(-errorCode, message)
        , ErrorCode(errorCode) {}
    const int ErrorCode;
};

// The platform's input/output codes (EInOutError::ErrorCode) run from kFirstIoCode to
// kLastIoCode; these have a text of the port's own.
constexpr int kFirstIoCode = 2;
constexpr int kIoTooManyOpenFiles = 4;
constexpr int kIoInvalidHandle = 6;
constexpr int kIoInvalidDrive = 15;
constexpr int kIoNoMoreFiles = 18;
constexpr int kIoReadBeyondEnd = 100;
constexpr int kIoDiskFull = 101;
constexpr int kIoNotAssigned = 102;
constexpr int kIoNotOpen = 103;
constexpr int kIoNotOpenForInput = 104;
constexpr int kIoNotOpenForOutput = 105;
constexpr int kIoWriteProtected = 150;
constexpr int kIoUnknownUnit = 151;
constexpr int kIoDriveNotReady = 152;
constexpr int kIoUnknownCommand = 153;
constexpr int kIoDataError = 154;
constexpr int kIoBadRequestLength = 155;
constexpr int kIoSeekError = 156;
constexpr int kIoUnknownMedia = 157;
constexpr int kIoSectorNotFound = 158;
constexpr int kIoOutOfPaper = 159;
constexpr int kIoDeviceWriteError = 160;
constexpr int kIoDeviceReadError = 161;
constexpr int kIoGeneralFailure = 162;
constexpr int kLastIoCode = 162;

// The port's own text for a platform code, empty when it has none.
std::string ownIoErrorText(int errorCode);

// A platform text made fit for a message: control characters become spaces, runs of spaces
// become one, and at most 255 characters are kept.
std::string cleanPlatformText(const std::string& text);

// Raises the failure for platform code `errorCode` whose platform text is `platformText`:
// for codes kFirstIoCode to kLastIoCode an EInOutError with the port's own text when it has one,
// else with the cleaned platform text; for higher codes the port's own exception when -code is one
// of its codes, else the root exception with the general message.
[[noreturn]] void throwPlatformError(int errorCode, const std::string& platformText);
