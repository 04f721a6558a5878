#pragma once

#include "sign/stream_decoder.h"

#include <string>
#include <vector>

// Text forms of the sign data stream for a terminal, in UTF-8: what the virtual sign lists of a
// send, and what the command-line sender shows of a stream it would send.

// The UTF-8 text of one byte of the character set; a control byte as "\xNN".
std::string signCharText(unsigned char code);

// A record's text with its colour bytes and flash toggles in place, between its pads: {R} {G}
// {Y} for the colours, {F+} and {F-} for flashing on and off. Braces, quotes and backslashes of
// the text are escaped with a backslash, so that every byte reads back unambiguously.
std::string annotatedRecordText(const TSignRecord& record);

// The character of a listed text: signCharText, with the listing's own characters escaped.
std::string listedSignChar(unsigned char code);

// An annotated hex dump of the stream for these block lines, start line and width (the bytes
// of buildSignStream): one line per record, "@<offset> line <address> pad <before>/<after>:"
// then every byte of the record in hexadecimal, two spaces, and its annotated text. Records are
// cut where they were built, so text bytes that equal a control byte do not split them.
std::vector<std::string> hexDumpStream(const std::vector<std::string>& lines, int start, int width);
