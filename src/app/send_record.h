#pragma once

#include <exception>
#include <string>
#include <vector>

struct TSendOutcome;

// Records a Send Message in the ledger of the editor's sign, "Comm" (fleet/sign_ledger.h), as
// lumavane-send records its sends: the list's file (`file`), the bytes of the send and how it ended
// (`failure` set when it failed). A ledger that cannot be written is told in the error log only:
// the send itself is over and was reported.
void recordEditorSend(const std::string& file, const std::vector<std::string>& lines, int start,
                      int width, const TSendOutcome& outcome, std::exception_ptr failure);
