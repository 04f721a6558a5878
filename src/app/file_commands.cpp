#include "app/file_commands.h"

#include "app/file_dialogs.h"
#include "app/recent_files_menu.h"
#include "editor/message_edits.h"
#include "editor/message_list_model.h"
#include "model/document.h"
#include "model/message_file.h"
#include "model/ui/text_codec.h"
#include "widgets/error_report.h"

#include <QMessageBox>
#include <QPushButton>

TFileCommands::TFileCommands(QWidget& window, TDocumentState& document, TMessageListModel& lines,
                             TMessageEdits& edits)
    : QObject(&window)
    , window_(window)
    , doc_(document)
    , lines_(lines)
    , edits_(edits) {
    OpenDialog = new TMessageFileDialog(TMessageFileDialog::OpenKind, &window);
    SaveDialog = new TMessageFileDialog(TMessageFileDialog::SaveKind, &window);
}

void TFileCommands::AdoptFile(const std::string& path, std::optional<std::size_t> nulOffset) {
    doc_.FileName = path;
    doc_.NulOffset = nulOffset;
    emit Changed();
    if (!doc_.IsUntitled() && recent_)
        recent_->Note(path);
}

bool TFileCommands::SaveQuestion() {
    if (edits_.AtSavedState())
        return true;
    QMessageBox box(QMessageBox::Question, "Confirm",
                    "Do you wish to save " + pathToQString(doc_.FileName) + "?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &window_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes)
        return Save();
    return answer == QMessageBox::No;
}

bool TFileCommands::Save() {
    std::string path = doc_.FileName;
    if (doc_.IsUntitled()) {
        QString chosen;
        if (!SaveDialog->Execute(chosen))
            return false;
        path = pathFromQString(chosen);
    } else if (doc_.NulOffset) {
        switch (AskOverPartlyReadFile()) {
        case OverwriteAnswer::Cancel:
            return false;
        case OverwriteAnswer::SaveAs:
            return SaveAs();
        case OverwriteAnswer::Replace:
            break;
        }
    }
    WriteList(path);
    return true;
}

void TFileCommands::WriteList(const std::string& path) {
    // Written first: a failed write keeps the old file, the old name and the modified flag.
    writeMessageFile(path, lines_.Lines());
    edits_.MarkSaved();
    AdoptFile(path);
}

TFileCommands::OverwriteAnswer TFileCommands::AskOverPartlyReadFile() {
    const QString text =
        QString("%1 holds a NUL byte at offset %2: the text after it was not read.\n"
                "Saving over the file replaces all of it with the lines shown, and that text "
                "is lost.")
            .arg(pathToQString(doc_.FileName))
            .arg(static_cast<qulonglong>(*doc_.NulOffset));
    QMessageBox box(QMessageBox::Warning, "Warning", text, QMessageBox::NoButton, &window_);
    QPushButton* saveAs = box.addButton("Save &As...", QMessageBox::AcceptRole);
    QPushButton* replace = box.addButton("&Replace", QMessageBox::DestructiveRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(saveAs);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == saveAs)
        return OverwriteAnswer::SaveAs;
    if (box.clickedButton() == replace)
        return OverwriteAnswer::Replace;
    return OverwriteAnswer::Cancel;
}

void TFileCommands::New() {
    if (!SaveQuestion())
        return;
    lines_.Clear();
    edits_.Clear();
    AdoptFile(TDocumentState::kNewFile);
}

void TFileCommands::Open() {
    if (!SaveQuestion())
        return;
    QString chosen;
    if (OpenDialog->Execute(chosen))
        OpenFile(pathFromQString(chosen));
}

void TFileCommands::AskThenOpenFile(const std::string& path) {
    if (SaveQuestion())
        OpenFile(path);
}

void TFileCommands::OpenFile(const std::string& path) {
    // Read first: a file that cannot be read leaves the list, the name and the flag as they were.
    std::optional<std::size_t> nulOffset;
    std::vector<std::string> lines = readMessageFile(path, &nulOffset);
    lines_.SetLines(std::move(lines));
    // However a file is opened, what was done to the list before cannot be undone into it.
    edits_.Clear();
    AdoptFile(path, nulOffset);
    if (nulOffset) {
        reportError(QString("%1 holds a NUL byte at offset %2: the text after it is not shown.")
                        .arg(pathToQString(path))
                        .arg(static_cast<qulonglong>(*nulOffset)),
                    &window_, TReportLook::Warning);
    }
}

bool TFileCommands::SaveAs() {
    QString chosen;
    if (!SaveDialog->Execute(chosen))
        return false;
    WriteList(pathFromQString(chosen));
    return true;
}
