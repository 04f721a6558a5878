#pragma once

#include "model/recent_files.h"

#include <QObject>

#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

// File > "Recent &Files": the message files opened or saved last, newest first ("&1 <path>" to
// "&8 <path>"), and "Clear List" at the end. The list is the user's own, kept in the program's
// state folder; files that no longer exist are dropped each time the menu opens. A list that
// cannot be read is said in the menu itself; one that cannot be written is told once a run in a
// box (the open or save that wanted to note a file has succeeded all the same) and logged.
class TRecentFilesMenu : public QObject {
    Q_OBJECT
public:
    using OpenHandler = std::function<void(const std::string& path)>;

    // Adds a separator and the submenu at the end of `fileMenu`. `open` runs when the user
    // chooses a file of the list.
    TRecentFilesMenu(QMenu& fileMenu, OpenHandler open, QWidget* owner);

    // `path` has just been opened or saved: it goes to the top of the list.
    void Note(const std::string& path);

    // recent-files.txt in the program's state folder.
    static std::string StorePath();

    QAction* N2 = nullptr;
    QMenu* RecentFiles1 = nullptr;
    QAction* ClearList1 = nullptr;

private:
    // Reads the list, drops the missing files and builds the entries.
    void Rebuild();
    void ClearList1Click();
    // The list could not be written: told in a box the first time in a run, logged always.
    void TellWriteFailure(const std::exception& error);

    TRecentFiles files_;
    OpenHandler open_;
    QWidget* owner_;
    bool writeFailureTold_ = false;
};
