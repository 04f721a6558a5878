#pragma once

#include <QFileDialog>

// The message file dialogs: one filter entry "Lumavane Static Message Files" (*.lsm), default
// extension "lsm", the folder must exist. The open dialog takes existing files only; the save
// dialog asks before it overwrites a file and before it creates one. Each keeps the folder and
// name last chosen in it for the next time it opens.
class TMessageFileDialog : public QFileDialog {
    Q_OBJECT
public:
    enum Kind { OpenKind, SaveKind };

    TMessageFileDialog(Kind kind, QWidget* parent = nullptr);

    // Runs the dialog; true with the chosen path in `path` when the user confirmed.
    bool Execute(QString& path);

    static QString FilterText() { return QStringLiteral("Lumavane Static Message Files (*.lsm)"); }

public slots:
    void accept() override;
    void done(int result) override;

private:
    Kind kind_;
    QString lastChosen_;
};
