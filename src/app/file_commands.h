#pragma once

#include "model/line_store.h"

#include <QObject>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class TMessageEdits;
class TOpenFileWatch;
struct TDiskVersion;
class TMessageFileDialog;
class TMessageListModel;
class TRecentFilesMenu;
struct TDocumentState;

// The File menu's commands on the message and its file: New, Open, Save, Save As, the save
// question before the list is replaced or the window closes, and the message file opened by
// other ways (a drop, Recent Files, the command line). The main window owns the list, its undo
// history and the document state they work on.
class TFileCommands : public QObject {
    Q_OBJECT
public:
    TFileCommands(QWidget& window, TDocumentState& document, TMessageListModel& lines,
                  TMessageEdits& edits);

    // The open and save dialogs, children of the window. Each is made when first needed: a file
    // dialog reads its folder and decodes its icons, which the window's first showing does not
    // need to wait for.
    TMessageFileDialog& OpenDialog();
    TMessageFileDialog& SaveDialog();
    // Where files opened and saved are noted; none until the File menu has it.
    void SetRecentFiles(TRecentFilesMenu* recent) { recent_ = recent; }
    // The list's file as other programs change it.
    TOpenFileWatch& Watch() { return *watch_; }
    // Whether the list differs from the one last opened or saved.
    bool Unsaved() const;

    void New();
    void Open();
    // Replaces the list by the lines of the message file at `path` and adopts its name. The
    // list, name and flag stay as they were when the file cannot be read.
    void OpenFile(const std::string& path);
    // Opens `path` the way Open does once a file is chosen: the save question first (Cancel
    // keeps everything), then OpenFile.
    void AskThenOpenFile(const std::string& path);
    // Writes the list to its file, asking for a name first when it has none. A file whose
    // reading stopped at a NUL byte, or that changed on disk since it was read or saved, is
    // not written over without asking: Save As is offered. False when the user cancelled.
    bool Save();
    // Save As: false when the user cancelled the dialog.
    bool SaveAs();
    // Asks "Do you wish to save ...?" when the list is modified. True when the command may go
    // on.
    bool SaveQuestion();

    // An empty message under `path`, where no file stands yet: Save writes it there.
    void StartNewFile(const std::string& path);
    // Replaces the list by the lines of its own file as read again (`version`), as one step
    // that Undo takes back; the list is then the one in its file.
    void ReloadFromDisk(TLineStore lines, std::optional<std::size_t> nulOffset,
                        const TDiskVersion& version);
    // Opens a recovered message: `lines` under `fileName`, unsaved; `base` is the version of
    // the file that the changes were made to.
    void RecoverMessage(const std::string& fileName, std::vector<std::string> lines,
                        const TDiskVersion& base);
    // The list is no longer the one in its file (the file was deleted): it counts as unsaved.
    void MarkUnsaved();

signals:
    // The list's file or its saved state changed: the window's title follows.
    void Changed();

private:
    // Writes the list to `path` and makes it the list's file, saved.
    void WriteList(const std::string& path);
    // Makes `path` the list's file, as just opened or saved: the one place that sets the file
    // name. `nulOffset`: the reading of the file stopped at a NUL byte there; `version`: the
    // file as read or written.
    void AdoptFile(const std::string& path, std::optional<std::size_t> nulOffset,
                   const TDiskVersion& version);
    enum class OverwriteAnswer { SaveAs, Replace, Cancel };
    // Asks before the list is written over a file that holds more than it.
    OverwriteAnswer AskOverPartlyReadFile();

    QWidget& window_;
    TMessageFileDialog* openDialog_ = nullptr;
    TMessageFileDialog* saveDialog_ = nullptr;
    TDocumentState& doc_;
    TMessageListModel& lines_;
    TMessageEdits& edits_;
    TRecentFilesMenu* recent_ = nullptr;
    TOpenFileWatch* watch_ = nullptr;
};
