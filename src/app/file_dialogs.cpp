#include "app/file_dialogs.h"

#include "files/file_platform.h"
#include "model/file_name_text.h"
#include "model/ui/text_codec.h"

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
        setWindowTitle(tr("Open"));
        setAcceptMode(QFileDialog::AcceptOpen);
        // Whether the file exists is asked in accept(), of the file that the name means: the
        // toolkit knows no name that is not UTF-8.
        setFileMode(QFileDialog::AnyFile);
    } else {
        setWindowTitle(tr("Save As"));
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    }
}

bool TMessageFileDialog::Execute(std::string& path) {
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
    path = resolveReadablePath(pathFromQString(lastChosen_));
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
    const std::string path = resolveReadablePath(pathFromQString(info.absoluteFilePath()));
    const std::size_t slash = path.rfind('/');
    if (fileStatusAt(path.substr(0, slash == 0 ? 1 : slash)).kind != TFileKind::Directory) {
        QMessageBox::warning(this, windowTitle(),
                             tr("%1\nPath not found.\nPlease verify the correct path was given.")
                                 .arg(info.absoluteFilePath()));
        return;
    }
    const bool exists = fileStatusAt(path).kind != TFileKind::Missing;
    if (kind_ == OpenKind && !exists) {
        QMessageBox::warning(
            this, windowTitle(),
            tr("%1\nFile not found.\nPlease verify the correct file name was given.")
                .arg(info.fileName()));
        return;
    }
    if (kind_ == SaveKind && exists && !info.exists()) {
        // A file whose name is not UTF-8, typed as it is shown: the toolkit does not see it,
        // so its question before a file is replaced is asked here.
        const auto answer = QMessageBox::warning(
            this, windowTitle(),
            tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    if (kind_ == SaveKind && !exists) {
        const auto answer = QMessageBox::question(
            this, windowTitle(),
            tr("%1\nThis file does not exist.\nDo you want to create it?").arg(info.fileName()),
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
