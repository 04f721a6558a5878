#pragma once

#include "files/disk_version.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

class QWidget;
class TFileCommands;

// Keeps the main window's list true to its file while other programs use the file too: a
// colleague's editor, a script that rewrites it. It watches the file and its folder (a save by
// rename puts another file under the name), looks again whenever the user comes back to the
// program from another one, and
// compares the file with the version that was last read or saved (files/disk_version.h):
// - changed, the list unmodified: the list is reloaded at once, as a step that Undo takes back;
// - changed, the list modified: when the user comes back to the window they choose Reload
//   (theirs, undoable) or Keep Mine; a Save before that asks before it writes;
// - deleted: the list counts as modified at once, so that it is not lost unasked, and the user
//   is told once, when they are at the window.
// The editor's own saves set the version they wrote, so they never count as changes.
class TOpenFileWatch : public QObject {
    Q_OBJECT
public:
    // Watches the file of `files`, whose list `window` shows.
    TOpenFileWatch(QWidget& window, TFileCommands& files);

    // True while the list must not change (a send runs); the watch looks again shortly.
    std::function<bool()> Busy;

    // The list's file is `path` as `version` (read, saved or reloaded); an untitled list
    // (TDocumentState::kNewFile) has none and nothing is watched.
    void Follow(const std::string& path, const TDiskVersion& version);
    // The version of the file that the list was last read from or saved to.
    const TDiskVersion& Known() const { return known_; }

    enum class TSaveAnswer { Write, SaveAs, Cancel };
    // Asked before Save writes the list over its file: when the file changed since it was read
    // or saved, the user chooses Overwrite, Save As... or Cancel.
    TSaveAnswer BeforeSave();

    // Compares the file with the known version now and acts on a change; `userHere`: the user
    // just came back to the program, and may be asked. While a dialog is open or a send
    // runs it waits and looks again shortly.
    void Check(bool userHere);

private:
    void React(TDiskCheck check, bool userHere);
    // Reload or Keep Mine, for a modified list whose file changed: true for Reload.
    bool AskReload(const QString& file);
    void Watch();

    QWidget& window_;
    TFileCommands& files_;
    QFileSystemWatcher watcher_;
    // Gathers the watcher's signals of one write into one look.
    QTimer settle_;
    std::string path_;
    TDiskVersion known_;
    bool checking_ = false;
    // The user came back to the program since the last look.
    bool activated_ = false;
    // The file was deleted and the user not yet told.
    bool deletionToTell_ = false;
};
