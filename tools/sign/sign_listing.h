#pragma once

#include "sign/stream_decoder.h"

#include <string>

// Text forms of decoded records for a terminal, in UTF-8.

// One annotated line of a record: where it began in the send, its line address, its pads,
// the text with its colour and flash bytes in place ({R} {G} {Y}, {F+} and {F-}), and the
// plain text. `width` marks a text that runs past the line.
std::string dumpRecord(const TSignRecord& record, int width);

// One line of a malformed run: where it began, how long it is, what is wrong, its first bytes.
std::string dumpError(const TStreamError& error);

// The sign line of a record as the sign shows it, `width` characters between bars, in ANSI
// colours, flashing characters blinking; characters past the width are cut and marked.
std::string ansiLine(const TSignRecord& record, int width);
