#include "model/document.h"

#include "base/ui_text.h"
#include "model/file_name_text.h"

std::string TDocumentState::Title() const {
    const std::string shown =
        IsUntitled() ? uiText("TDocumentState", kNewFile) : readableFileName(FileName);
    std::string title =
        fillIn(uiText("TDocumentState", "Lumavane Message Editor V1.0 -- %1"), {shown});
    if (Modified)
        title += " *";
    return title;
}
