#pragma once

#include "sign/wall_clock.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// Live fields: values put into block text when a message is sent (or previewed), where the
// sender is asked to, so that a file holding a brace is sent as written everywhere else.
//
//   {time:FORMAT} {date:FORMAT}  the local time formatted as strftime does (%H:%M, %d.%m.%Y)
//   {file:PATH}                  the first line of a text file (a relative path from the
//                                message's folder)
//   {{                           a brace itself
//
// `{KIND:ARG|N}` makes the value exactly N characters (0 to 255; cut, or padded after it with
// spaces), so that a centred line and the marks of what fits stay where they are while the value
// changes; `{KIND:ARG|N|TEXT}` shows TEXT when the value cannot be had: a file that is missing or
// cannot be read, a clock before 2020 (not set yet). Without TEXT such a value is empty.
//
// A value is plain text in the colour and flashing in force where the field stands: control
// characters are dropped, a character that the sign's character set lacks shows as '?', and so
// does '^', so that a value can never change the colours of what follows. A file's text is read
// as UTF-8, or as the sign's character set when it is no valid UTF-8.

// A field that cannot be read: "line 3: {tim:%H} is no live field ...".
class ELiveFieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a field that cannot be read becomes: an error, or its text as written.
enum class TFieldErrors { Throw, Leave };

struct TFieldValues {
    // The block lines with every field replaced by its value.
    std::vector<std::string> lines;
    // The first moment after `now` at which a time or date value can read differently.
    std::optional<TMoment> nextChange;
    // The files that {file:} fields read, as their paths were resolved; each once.
    std::vector<std::string> files;
};

// The values of the fields in the text of each block line (after its first comma) at `now`;
// relative file paths are taken from `folder` (the message file's folder; empty: the working
// directory). Throws ELiveFieldError for the first field that cannot be read, unless asked to
// leave such fields as written.
TFieldValues expandLiveFields(const std::vector<std::string>& lines, TMoment now,
                              const std::string& folder = {},
                              TFieldErrors errors = TFieldErrors::Throw);
