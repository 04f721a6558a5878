#include "sign/send_errors.h"

#include "base/error_text.h"

namespace {

std::string secondsIn(std::chrono::milliseconds span) {
    const long long ms = span.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0)
        text += "." + std::to_string(ms % 1000 / 100);
    return text + (ms == 1000 ? " second" : " seconds");
}

} // namespace

std::string TSendCount::text() const {
    return std::to_string(sent) + " of " + std::to_string(total) +
           (handed ? " bytes handed to the link" : " bytes");
}

std::string TSendCount::sentText() const {
    return std::to_string(sent) + " of " + std::to_string(total) + " bytes were " +
           (handed ? "handed to the link" : "sent");
}

ESendError::ESendError(const std::string& headline, const std::string& detail,
                       const TSendCount& count)
    : std::runtime_error(failureText(headline, detail))
    , count_(count) {}

ESendOpenFailed::ESendOpenFailed(bool network, const std::string& link, std::string_view reason)
    : ESendError(network ? "ERROR Connecting to IP Address."
                         : "ERROR Opening Com Port, check correct configuration.",
                 "Tried " + link + ": " + oneLine(reason), TSendCount{}) {}

ESendError sendStalled(const TSendCount& count, const std::string& link,
                       std::chrono::milliseconds quiet) {
    return ESendError("The sign stopped taking data after " + count.text() + ".",
                      link + ": no byte was taken for " + secondsIn(quiet) + ".", count);
}

ESendError sendTimedOut(const TSendCount& count, const std::string& link) {
    return ESendError("The serial port did not send its data in time: check the cable and the "
                      "baud rate.",
                      link + ": " + count.sentText() + ".", count);
}

ESendError sendBrokeOff(const TSendCount& count, const std::string& link, std::string_view reason) {
    return ESendError("Sending failed after " + count.text() + ".", link + ": " + oneLine(reason),
                      count);
}

ESendError sendRefusedByClosedPeer(const TSendCount& count, const std::string& link,
                                   std::string_view reason) {
    return ESendError("The sign closed the connection before taking the message.",
                      link + ", after " + count.text() + ": " + oneLine(reason), count);
}
