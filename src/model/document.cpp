#include "model/document.h"

std::string TDocumentState::Title() const {
    std::string title = "Lumavane Message Editor V1.0 -- " + FileName;
    if (Modified)
        title += " *";
    return title;
}
