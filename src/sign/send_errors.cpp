#include "sign/send_errors.h"

#include "base/error_text.h"
#include "base/ui_text.h"

namespace {

std::string secondsIn(std::chrono::milliseconds span) {
    const long long ms = span.count();
    std::string text = std::to_string(ms / 1000);
    if (ms % 1000 != 0)
        text += "." + std::to_string(ms % 1000 / 100);
    return fillIn(ms == 1000 ? uiText("SendErrors", "%1 second")
                             : uiText("SendErrors", "%1 seconds"),
                  {text});
}

} // namespace

std::string TSendCount::text() const {
    return fillIn(handed ? uiText("SendErrors", "%1 of %2 bytes handed to the link")
                         : uiText("SendErrors", "%1 of %2 bytes"),
                  {std::to_string(sent), std::to_string(total)});
}

std::string TSendCount::sentText() const {
    return fillIn(handed ? uiText("SendErrors", "%1 of %2 bytes were handed to the link")
                         : uiText("SendErrors", "%1 of %2 bytes were sent"),
                  {std::to_string(sent), std::to_string(total)});
}

ESendError::ESendError(const std::string& headline, const std::string& detail,
                       const TSendCount& count)
    : std::runtime_error(failureText(headline, detail))
    , count_(count) {}

ESendOpenFailed::ESendOpenFailed(bool network, const std::string& link, std::string_view reason)
    : ESendError(
          network ? uiText("SendErrors", "ERROR Connecting to IP Address.")
                  : uiText("SendErrors", "ERROR Opening Com Port, check correct configuration."),
          fillIn(uiText("SendErrors", "Tried %1: %2"), {link, oneLine(reason)}), TSendCount{}) {}

ESendError sendStalled(const TSendCount& count, const std::string& link,
                       std::chrono::milliseconds quiet) {
    return ESendError(
        fillIn(uiText("SendErrors", "The sign stopped taking data after %1."), {count.text()}),
        fillIn(uiText("SendErrors", "%1: no byte was taken for %2."), {link, secondsIn(quiet)}),
        count);
}

ESendError sendTimedOut(const TSendCount& count, const std::string& link) {
    return ESendError(uiText("SendErrors", "The serial port did not send its data in time: check "
                                           "the cable and the baud rate."),
                      link + ": " + count.sentText() + ".", count);
}

ESendError sendBrokeOff(const TSendCount& count, const std::string& link, std::string_view reason) {
    return ESendError(fillIn(uiText("SendErrors", "Sending failed after %1."), {count.text()}),
                      link + ": " + oneLine(reason), count);
}

ESendError sendRefusedByClosedPeer(const TSendCount& count, const std::string& link,
                                   std::string_view reason) {
    return ESendError(
        uiText("SendErrors", "The sign closed the connection before taking the message."),
        fillIn(uiText("SendErrors", "%1, after %2: %3"), {link, count.text(), oneLine(reason)}),
        count);
}
