#pragma once

#include <span>
#include <string>
#include <string_view>

// How a failure is put into words, for every error that the user or the error log sees.

// What failed, then the reason on a line of its own: the message box shows the reason under
// what failed, the error log joins the two lines with a space. Just `what` when the reason is
// not known.
std::string failureText(std::string_view what, std::string_view reason);

// What failed and the reason on one line, "<what>: <reason>": for a terminal, and for the
// messages of the remembered values. Just `what` when the reason is not known.
std::string failureLine(std::string_view what, std::string_view reason);

// A failureText on one line, as failureLine would have put it: the first line break becomes
// ": ", any later one a space.
std::string failureLineOf(std::string_view text);

// `text` on one line: line breaks (CR LF, CR or LF) become single spaces.
std::string oneLine(std::string_view text);

// One row of a table that gives numbered error codes their texts.
struct TCodeText {
    int code;
    const char* text;
};

// The text of `code` in `table`; empty when the table has no row for it.
std::string codeText(std::span<const TCodeText> table, int code);
