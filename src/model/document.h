#pragma once

#include <string>

// The state of the message being edited: the file it belongs to and whether it has changed
// since it was started, opened or saved.
struct TDocumentState {
    // The marker of a list that has no file yet.
    static constexpr const char* kNewFile = "[new file]";

    std::string FileName = kNewFile;
    bool Modified = false;

    bool IsUntitled() const { return FileName == kNewFile; }
    // The main window's title: "Lumavane Message Editor V1.0 -- <file>" and " *" when modified.
    std::string Title() const;
};
