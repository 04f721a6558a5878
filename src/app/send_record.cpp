#include "app/send_record.h"

#include "base/error_text.h"
#include "fleet/sign_ledger.h"
#include "model/block.h"
#include "sign/comm_settings.h"
#include "sign/send_buffer.h"
#include "sign/send_errors.h"
#include "sign/sign_stream.h"
#include "sign/transmitter.h"
#include "widgets/error_report.h"

void recordEditorSend(const std::string& file, const std::vector<std::string>& lines, int start,
                      int width, const TSendOutcome& outcome, std::exception_ptr failure) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, start, width);
    TLedgerSend send;
    send.time = momentNow();
    send.what = {file, "editor", start, width, false, sha256Hex(buffer.bytes()), buffer.size()};
    send.sent = outcome.sent;
    send.whole = !failure && !outcome.cancelled;
    send.result = failure ? "failed" : outcome.cancelled ? "stopped" : "sent";
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const ESendError& error) {
            send.sent = error.sent();
            send.result = "failed: " + oneLine(error.what());
        } catch (const std::exception& error) {
            send.result = "failed: " + oneLine(error.what());
        }
    }
    try {
        recordSignSend(kCommSection, send);
    } catch (const std::exception& error) {
        logError(error);
    }
}
