#include "app/file_dialogs.h"

#include <QCompleter>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>

TMessageFileDialog::TMessageFileDialog(Kind kind, QWidget* parent)
    : QFileDialog(parent)
    , kind_(kind) {
    setObjectName(kind == OpenKind ? "OpenDialog1" : "SaveDialog1");
    setNameFilter(FilterText());
    setDefaultSuffix("lsm");
    setOption(QFileDialog::DontUseNativeDialog, true);
    if (kind == OpenKind) {
        setWindowTitle("Open");
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    } else {
        setWindowTitle("Save As");
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    }
}

bool TMessageFileDialog::Execute(QString& path) {
    if (!lastChosen_.isEmpty()) {
        selectFile(lastChosen_);
        // The last name is offered selected, so that a typed name replaces it.
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->selectAll();
    }
    if (exec() != QDialog::Accepted)
        return false;
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return false;
    lastChosen_ = files.first();
    path = lastChosen_;
    return true;
}

void TMessageFileDialog::accept() {
    const QStringList files = selectedFiles();
    if (files.isEmpty()) {
        QFileDialog::accept();
        return;
    }
    const QFileInfo info(files.first());
    if (info.isDir()) {
        QFileDialog::accept(); // enters the folder
        return;
    }
    if (!QFileInfo(info.absolutePath()).isDir()) {
        QMessageBox::warning(
            this, windowTitle(),
            QString("%1\nPath not found.\nPlease verify the correct path was given.")
                .arg(info.absoluteFilePath()));
        return;
    }
    if (kind_ == SaveKind && !info.exists()) {
        const auto answer = QMessageBox::question(
            this, windowTitle(),
            QString("%1\nThis file does not exist.\nDo you want to create it?")
                .arg(info.fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return;
    }
    QFileDialog::accept();
}

void TMessageFileDialog::done(int result) {
    // Typing a name opens its completion list, a popup that holds the keyboard while it is
    // shown. Enter in the name field closes the dialog but not the list, which would then take
    // every key meant for the main window until the user clicks it. Detaching the list from
    // the field closes it, and keeps a folder read in late from opening it again; the field
    // takes it back when it has the focus the next time the dialog opens.
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        if (QCompleter* completer = name->completer())
            completer->setWidget(nullptr);
    }
    QFileDialog::done(result);
}
