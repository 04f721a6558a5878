#pragma once

#include "base/ui_text.h"

#include <cstddef>
#include <optional>
#include <string>

// The state of the message being edited: the file it belongs to and whether it has changed
// since it was started, opened or saved.
struct TDocumentState {
    // The marker of a list that has no file yet (the title shows it in the user's language).
    static constexpr const char* kNewFile = UI_TEXT_NOOP("TDocumentState", "[new file]");

    std::string FileName = kNewFile;
    bool Modified = false;
    // Set when the file was opened and its reading stopped at a NUL byte at this offset: the
    // file holds more than the list, and writing the list over it would lose the rest.
    std::optional<std::size_t> NulOffset;

    bool IsUntitled() const { return FileName == kNewFile; }
    // The main window's title: "Lumavane Message Editor V1.0 -- <file>" and " *" when modified,
    // in UTF-8, the file's name as names are shown (model/file_name_text.h).
    std::string Title() const;
};
