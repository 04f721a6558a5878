#include "model/document.h"

#include "model/file_name_text.h"

std::string TDocumentState::Title() const {
    std::string title = "Lumavane Message Editor V1.0 -- " + readableFileName(FileName);
    if (Modified)
        title += " *";
    return title;
}
