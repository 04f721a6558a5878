#pragma once

#include <QFileDialog>

#include <string>

// The message file dialogs: one filter entry "Lumavane Static Message Files" (*.lsm), default
// extension "lsm", the folder must exist. The open dialog takes existing files only; the save
// dialog asks before it overwrites a file and before it creates one. Each keeps the folder and
// name last chosen in it for the next time it opens.
class TMessageFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum Kind { OpenKind, SaveKind };

    TMessageFileDialog(Kind kind, QWidget* parent = nullptr);

    // Runs the dialog; true with the chosen path in `path` when the user confirmed. A name
    // typed as a name that is not UTF-8 is shown (model/file_name_text.h) is that file.
    bool Execute(std::string& path);

    static QString FilterText() { return tr("Lumavane Static Message Files (*.lsm)"); }

public slots:
    void accept() override;
    void done(int result) override;

private:
    Kind kind_;
    QString lastChosen_;
};
