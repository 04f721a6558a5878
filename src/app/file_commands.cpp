#include "app/file_commands.h"

#include "app/file_dialogs.h"
#include "app/open_file_watch.h"
#include "app/recent_files_menu.h"
#include "base/free_memory.h"
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
    watch_ = new TOpenFileWatch(window, *this);
}

TMessageFileDialog& TFileCommands::OpenDialog() {
    if (!openDialog_)
        openDialog_ = new TMessageFileDialog(TMessageFileDialog::OpenKind, &window_);
    return *openDialog_;
}

TMessageFileDialog& TFileCommands::SaveDialog() {
    if (!saveDialog_)
        saveDialog_ = new TMessageFileDialog(TMessageFileDialog::SaveKind, &window_);
    return *saveDialog_;
}

bool TFileCommands::Unsaved() const {
    return !edits_.AtSavedState();
}

void TFileCommands::AdoptFile(const std::string& path, std::optional<std::size_t> nulOffset,
                              const TDiskVersion& version) {
    doc_.FileName = path;
    doc_.NulOffset = nulOffset;
    watch_->Follow(path, version);
    emit Changed();
    // A name given for a file that is not written yet is no recent file.
    if (!doc_.IsUntitled() && version.exists && recent_)
        recent_->Note(path);
    // The file's bytes as read or written, and the list and history that a new one replaced.
    returnFreedMemory();
}

void TFileCommands::StartNewFile(const std::string& path) {
    lines_.Clear();
    edits_.Clear();
    AdoptFile(path, std::nullopt, {});
}

void TFileCommands::ReloadFromDisk(TLineStore lines, std::optional<std::size_t> nulOffset,
                                   const TDiskVersion& version) {
    edits_.ReplaceAll(std::move(lines), tr("Reload"));
    edits_.MarkSaved();
    AdoptFile(doc_.FileName, nulOffset, version);
}

void TFileCommands::RecoverMessage(const std::string& fileName, std::vector<std::string> lines,
                                   const TDiskVersion& base) {
    lines_.SetLines(lines);
    edits_.Clear();
    AdoptFile(fileName, std::nullopt, base);
    MarkUnsaved();
}

void TFileCommands::MarkUnsaved() {
    edits_.MarkUnsaved();
}

bool TFileCommands::SaveQuestion() {
    if (edits_.AtSavedState())
        return true;
    QMessageBox box(QMessageBox::Question, tr("Confirm"),
                    tr("Do you wish to save %1?").arg(pathToQString(doc_.FileName)),
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
        if (!SaveDialog().Execute(path))
            return false;
    } else {
        if (doc_.NulOffset) {
            switch (AskOverPartlyReadFile()) {
            case OverwriteAnswer::Cancel:
                return false;
            case OverwriteAnswer::SaveAs:
                return SaveAs();
            case OverwriteAnswer::Replace:
                break;
            }
        }
        switch (watch_->BeforeSave()) {
        case TOpenFileWatch::TSaveAnswer::Cancel:
            return false;
        case TOpenFileWatch::TSaveAnswer::SaveAs:
            return SaveAs();
        case TOpenFileWatch::TSaveAnswer::Write:
            break;
        }
    }
    WriteList(path);
    return true;
}

void TFileCommands::WriteList(const std::string& path) {
    // Written first: a failed write keeps the old file, the old name and the modified flag.
    const TDiskVersion written = writeMessageFile(path, lines_.Lines());
    edits_.MarkSaved();
    AdoptFile(path, std::nullopt, written);
}

TFileCommands::OverwriteAnswer TFileCommands::AskOverPartlyReadFile() {
    const QString text =
        tr("%1 holds a NUL byte at offset %2: the text after it was not read.\n"
           "Saving over the file replaces all of it with the lines shown, and that text "
           "is lost.")
            .arg(pathToQString(doc_.FileName))
            .arg(static_cast<qulonglong>(*doc_.NulOffset));
    QMessageBox box(QMessageBox::Warning, tr("Warning"), text, QMessageBox::NoButton, &window_);
    QPushButton* saveAs = box.addButton(tr("Save &As..."), QMessageBox::AcceptRole);
    QPushButton* replace = box.addButton(tr("&Replace"), QMessageBox::DestructiveRole);
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
    AdoptFile(TDocumentState::kNewFile, std::nullopt, {});
}

void TFileCommands::Open() {
    if (!SaveQuestion())
        return;
    std::string chosen;
    if (OpenDialog().Execute(chosen))
        OpenFile(chosen);
}

void TFileCommands::AskThenOpenFile(const std::string& path) {
    if (SaveQuestion())
        OpenFile(path);
}

void TFileCommands::OpenFile(const std::string& path) {
    // Read first: a file that cannot be read leaves the list, the name and the flag as they were.
    std::optional<std::size_t> nulOffset;
    TDiskVersion version;
    lines_.SetLines(readMessageLines(path, &nulOffset, &version));
    // However a file is opened, what was done to the list before cannot be undone into it.
    edits_.Clear();
    AdoptFile(path, nulOffset, version);
    if (nulOffset) {
        reportError(tr("%1 holds a NUL byte at offset %2: the text after it is not shown.")
                        .arg(pathToQString(path))
                        .arg(static_cast<qulonglong>(*nulOffset)),
                    &window_, TReportLook::Warning);
    }
}

bool TFileCommands::SaveAs() {
    std::string chosen;
    if (!SaveDialog().Execute(chosen))
        return false;
    WriteList(chosen);
    return true;
}
