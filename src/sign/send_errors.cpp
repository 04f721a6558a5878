#include "sign/send_errors.h"

#include "base/error_text.h"

namespace {

std::string countOf(std::size_t sent, std::size_t total) {
    return std::to_string(sent) + " of " + std::to_string(total) + " bytes";
}

std::string secondsIn(std::chrono::milliseconds span) {
    const long long ms = span.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0)
        text += "." + std::to_string(ms % 1000 / 100);
    return text + (ms == 1000 ? " second" : " seconds");
}

} // namespace

ESendError::ESendError(const std::string& headline, const std::string& detail, std::size_t sent,
                       std::size_t total)
    : std::runtime_error(failureText(headline, detail))
    , sent_(sent)
    , total_(total) {}

ESendOpenFailed::ESendOpenFailed(bool network, const std::string& link, std::string_view reason)
    : ESendError(network ? "ERROR Connecting to IP Address."
                         : "ERROR Opening Com Port, check correct configuration.",
                 "Tried " + link + ": " + oneLine(reason), 0, 0) {}

ESendStalled::ESendStalled(std::size_t sent, std::size_t total, const std::string& link,
                           std::chrono::milliseconds quiet)
    : ESendError("The sign stopped taking data after " + countOf(sent, total) + ".",
                 link + ": no byte was taken for " + secondsIn(quiet) + ".", sent, total) {}

ESendTimeout::ESendTimeout(std::size_t sent, std::size_t total, const std::string& link)
    : ESendError("The serial port did not send its data in time: check the cable and the baud "
                 "rate.",
                 link + ": " + countOf(sent, total) + " were sent.", sent, total) {}

ESendBrokeOff::ESendBrokeOff(std::size_t sent, std::size_t total, const std::string& link,
                             std::string_view reason)
    : ESendError("Sending failed after " + countOf(sent, total) + ".",
                 link + ": " + oneLine(reason), sent, total) {}

ESendPeerClosed::ESendPeerClosed(std::size_t sent, std::size_t total, const std::string& link,
                                 std::string_view reason)
    : ESendBrokeOff("The sign closed the connection before taking the message.",
                    link + ", after " + countOf(sent, total) + ": " + oneLine(reason), sent,
                    total) {}
