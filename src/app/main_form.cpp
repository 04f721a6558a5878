#include "app/main_form.h"

#include "app/application.h"
#include "app/file_dialogs.h"
#include "app/file_drop.h"
#include "app/open_file_watch.h"
#include "app/recent_files_menu.h"
#include "app/recovery_keeper.h"
#include "app/sign_preview_panel.h"
#include "editor/block_clipboard.h"
#include "editor/block_editor.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "editor/message_row.h"
#include "editor/printing.h"
#include "links/ui/port_select_dlg.h"
#include "model/message_file.h"
#include "model/ui/text_codec.h"
#include "settings/port_map.h"
#include "sign/send_errors.h"
#include "sign/sign_sender.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/send_data.h"
#include "widgets/modal_result.h"
#include "widgets/run_command.h"
#include "widgets/spin_edit.h"
#include "widgets/window_placement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include <exception>

#include <optional>
#include <stdexcept>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName("Form1");
    BComm_ = std::make_unique<TBComm>();
    SendBlock_ = std::make_unique<TBlock>();
    EditBlock_ = std::make_unique<TBlock>();
    Doc_ = TDocumentState();

    setWindowTitle("Lumavane Static Message Editor V1.0");
    // 626 x 443 with the desktop's frame and title bar around it.
    resize(618, 412);
    centreWhenShown(this, TCentring::FirstShow);

    Model_ = new TMessageListModel(this);
    Edits_ = new TMessageEdits(*Model_, this);
    ListBox1 = new TMessageListBox(this);
    ListBox1->setModel(Model_);
    ListBox1->SetDrawItemHandler(
        [this](QPainter& painter, int index, const QRect& rect, QStyle::State state) {
            ListBox1DrawItem(painter, index, rect, state);
        });
    setCentralWidget(ListBox1);
    // A double click and Enter on a row both change that row.
    const auto editSelection = [this] { runCommand([this] { EditSelection1Click(); }); };
    connect(ListBox1, &TMessageListBox::DblClick, this, editSelection);
    connect(ListBox1, &TMessageListBox::EnterPressed, this, editSelection);
    // A message file dropped on the window from outside opens as with Open.
    FileDrop_ = new TFileDrop(*this, [this](const std::string& path) { AskThenOpenFile(path); });

    OpenDialog1 = new TMessageFileDialog(TMessageFileDialog::OpenKind, this);
    SaveDialog1 = new TMessageFileDialog(TMessageFileDialog::SaveKind, this);

    CreateMenu();
    // Other programs may change the file; unsaved changes outlive a crash.
    FileWatch_ = new TOpenFileWatch(*this);
    Recovery_ = new TRecoveryKeeper(*this);
    SignPreview_ = new TSignPreviewPanel(*this);
    View1 = SignPreview_->View1;
    SignPreview1 = SignPreview_->SignPreview1;

    // Serial port n is the device that the settings file maps it to; without a port number
    // the port asks the user with the Select Port dialog.
    const std::string settingsPath = BComm_->settingsPath();
    ComPort1.DeviceResolver = [settingsPath](unsigned number) {
        return comDeviceFromSettings(settingsPath, number);
    };
    installPortSelectDialog(ComPort1, this);
    TCP1.Port = 23;

    // A value out of range in the settings file is told once, when the window is up.
    std::string settingsReport;
    for (const std::string& note : BComm_->Load())
        settingsReport += (settingsReport.empty() ? "" : "\n") + note;
    if (!settingsReport.empty()) {
        QMetaObject::invokeMethod(
            this,
            [settingsReport] { TApplication::ReportException(std::runtime_error(settingsReport)); },
            Qt::QueuedConnection);
    }
}

TForm1::~TForm1() {
    // The panel watches the window, which is hidden on its way out.
    delete SignPreview_;
    SignPreview_ = nullptr;
    BComm_.reset();
    SendBlock_.reset();
    EditBlock_.reset();
}

void TForm1::CreateMenu() {
    auto addItem = [this](QMenu* menu, const char* name, const QString& caption,
                          const QKeySequence& shortcut, void (TForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        connect(action, &QAction::triggered, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
        return action;
    };

    File1 = menuBar()->addMenu("&File");
    File1->setObjectName("File1");
    New1 = addItem(File1, "New1", "&New", QKeySequence("Ctrl+N"), &TForm1::New1Click);
    Open1 = addItem(File1, "Open1", "&Open...", QKeySequence("Ctrl+O"), &TForm1::Open1Click);
    Save1 = addItem(File1, "Save1", "&Save...", QKeySequence("Ctrl+S"), &TForm1::Save1Click);
    SaveAs1 =
        addItem(File1, "SaveAs1", "Save &As...", QKeySequence("Ctrl+A"), &TForm1::SaveAs1Click);
    N1 = File1->addSeparator();
    N1->setObjectName("N1");
    Print1 = addItem(File1, "Print1", "&Print", QKeySequence("Ctrl+P"), &TForm1::Print1Click);
    // One access key per item: "P" belongs to Print, so Print Setup is reached with "E".
    PrintSetup1 =
        addItem(File1, "PrintSetup1", "Print S&etup...", QKeySequence(), &TForm1::PrintSetup1Click);
    RecentFiles_ = new TRecentFilesMenu(
        *File1, [this](const std::string& path) { AskThenOpenFile(path); }, this);

    Edit1 = menuBar()->addMenu("&Edit");
    Edit1->setObjectName("Edit1");
    EditSelection1 = addItem(Edit1, "EditSelection1", "&Edit Selection...", QKeySequence("Ctrl+E"),
                             &TForm1::EditSelection1Click);
    DeleteSelection1 = addItem(Edit1, "DeleteSelection1", "&Delete Selection",
                               QKeySequence(Qt::Key_Delete), &TForm1::DeleteSelection1Click);
    InsertNew1 = addItem(Edit1, "InsertNew1", "&Insert New...", QKeySequence(Qt::Key_Insert),
                         &TForm1::InsertNew1Click);
    AddNew1 = addItem(Edit1, "AddNew1", "&Add New...", QKeySequence(), &TForm1::AddNew1Click);
    CreateListEditing(addItem);

    Send1 = menuBar()->addMenu("&Send");
    Send1->setObjectName("Send1");
    Configuration1 = addItem(Send1, "Configuration1", "&Configuration", QKeySequence(),
                             &TForm1::Configuration1Click);
    SendMessage1 = addItem(Send1, "SendMessage1", "&Send Message", QKeySequence(Qt::Key_F9),
                           &TForm1::SendMessage1Click);
}

void TForm1::CreateListEditing(
    const std::function<QAction*(QMenu*, const char*, const QString&, const QKeySequence&,
                                 void (TForm1::*)())>& addItem) {
    // Undo and Redo head the menu and name the step they take back or again.
    Undo1 = addItem(Edit1, "Undo1", "&Undo", QKeySequence("Ctrl+Z"), &TForm1::Undo1Click);
    Redo1 = addItem(Edit1, "Redo1", "&Redo", QKeySequence("Ctrl+Shift+Z"), &TForm1::Redo1Click);
    Redo1->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    for (QAction* action : {Undo1, Redo1})
        Edit1->insertAction(EditSelection1, action);
    Edit1->insertSeparator(EditSelection1)->setObjectName("N2");
    const QUndoStack& history = Edits_->History();
    const auto captions = [this, &history] {
        Undo1->setText(history.canUndo() ? "&Undo " + history.undoText() : "&Undo");
        Redo1->setText(history.canRedo() ? "&Redo " + history.redoText() : "&Redo");
        Undo1->setEnabled(history.canUndo());
        Redo1->setEnabled(history.canRedo());
    };
    captions();
    connect(&history, &QUndoStack::indexChanged, this, captions);
    connect(&history, &QUndoStack::cleanChanged, this, captions);
    connect(Edits_, &TMessageEdits::SelectRow, this,
            [this](int row) { ListBox1->SetItemIndex(row); });
    // Undoing back to the list last opened or saved clears the modified flag; any other step
    // sets it.
    connect(Edits_, &TMessageEdits::SavedStateChanged, this, [this](bool saved) {
        if (Doc_.Modified != saved)
            return;
        Doc_.Modified = !saved;
        Refresh();
    });

    // Blocks go to other messages and programs as their lines of text.
    Edit1->addSeparator()->setObjectName("N3");
    Cut1 = addItem(Edit1, "Cut1", "Cu&t", QKeySequence("Ctrl+X"), &TForm1::Cut1Click);
    Copy1 = addItem(Edit1, "Copy1", "&Copy", QKeySequence("Ctrl+C"), &TForm1::Copy1Click);
    Paste1 = addItem(Edit1, "Paste1", "&Paste", QKeySequence("Ctrl+V"), &TForm1::Paste1Click);

    // "Move &Up" would share its letter with "&Undo": the moves have a menu of their own.
    Edit1->addSeparator()->setObjectName("N4");
    MoveBlock1 = Edit1->addMenu("&Move Block");
    MoveBlock1->setObjectName("MoveBlock1");
    MoveUp1 =
        addItem(MoveBlock1, "MoveUp1", "Move &Up", QKeySequence("Alt+Up"), &TForm1::MoveUp1Click);
    MoveDown1 = addItem(MoveBlock1, "MoveDown1", "Move Do&wn", QKeySequence("Alt+Down"),
                        &TForm1::MoveDown1Click);
    connect(ListBox1, &TMessageListBox::RowMoveRequested, this, [this](int from, int to) {
        runCommand([this, from, to] { MoveSelection(from, to, "Move Block"); });
    });
}

void TForm1::Refresh() {
    setWindowTitle(QString::fromStdString(Doc_.Title()));
    ListBox1->viewport()->update();
    update();
    if (Recovery_)
        Recovery_->DocumentChanged();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // From the first showing on, the title follows the title rule.
    Refresh();
}

void TForm1::ListBox1DrawItem(QPainter& painter, int Index, const QRect& Rect,
                              QStyle::State State) {
    if (Index < 0 || Index >= Model_->Count())
        return;
    const QColor background = (State & QStyle::State_Selected)
                                  ? ListBox1->palette().color(QPalette::Active, QPalette::Highlight)
                                  : QColor(Qt::black);
    drawMessageRow(painter, Model_->Line(Index), Index, Rect, background,
                   SignPreview_ ? SignPreview_->RowFit(Index) : nullptr);
}

void TForm1::SetModified() {
    Doc_.Modified = true;
    Refresh();
}

void TForm1::AdoptFile(const std::string& path, std::optional<std::size_t> nulOffset,
                       const TDiskVersion& version) {
    Doc_.FileName = path;
    Doc_.Modified = false;
    Doc_.NulOffset = nulOffset;
    FileWatch_->Follow(path, version);
    Refresh();
    // A name given for a file that is not written yet is no recent file.
    if (!Doc_.IsUntitled() && version.exists && RecentFiles_)
        RecentFiles_->Note(path);
}

void TForm1::StartNewFile(const std::string& path) {
    Model_->Clear();
    Edits_->Clear();
    AdoptFile(path);
}

void TForm1::ReloadFromDisk(std::vector<std::string> lines, std::optional<std::size_t> nulOffset,
                            const TDiskVersion& version) {
    Edits_->ReplaceAll(std::move(lines), "Reload");
    Edits_->MarkSaved();
    AdoptFile(Doc_.FileName, nulOffset, version);
}

void TForm1::RecoverMessage(const std::string& fileName, std::vector<std::string> lines,
                            const TDiskVersion& base) {
    Model_->SetLines(std::move(lines));
    Edits_->Clear();
    AdoptFile(fileName, std::nullopt, base);
    MarkUnsaved();
}

void TForm1::MarkUnsaved() {
    Edits_->MarkUnsaved();
}

bool TForm1::SaveQuestion() {
    if (!Doc_.Modified)
        return true;
    QMessageBox box(QMessageBox::Question, "Confirm",
                    "Do you wish to save " + pathToQString(Doc_.FileName) + "?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes)
        return SaveStep();
    return answer == QMessageBox::No;
}

bool TForm1::SaveStep() {
    std::string path = Doc_.FileName;
    if (Doc_.IsUntitled()) {
        if (!SaveDialog1->Execute(path))
            return false;
    } else {
        if (Doc_.NulOffset) {
            switch (AskOverPartlyReadFile()) {
            case OverwriteAnswer::Cancel:
                return false;
            case OverwriteAnswer::SaveAs:
                return SaveAsStep();
            case OverwriteAnswer::Replace:
                break;
            }
        }
        switch (FileWatch_->BeforeSave()) {
        case TOpenFileWatch::TSaveAnswer::Cancel:
            return false;
        case TOpenFileWatch::TSaveAnswer::SaveAs:
            return SaveAsStep();
        case TOpenFileWatch::TSaveAnswer::Write:
            break;
        }
    }
    WriteList(path);
    return true;
}

void TForm1::WriteList(const std::string& path) {
    // Written first: a failed write keeps the old file, the old name and the modified flag.
    const TDiskVersion written = writeMessageFile(path, Model_->Lines());
    Edits_->MarkSaved();
    AdoptFile(path, std::nullopt, written);
}

TForm1::OverwriteAnswer TForm1::AskOverPartlyReadFile() {
    const QString text =
        QString("%1 holds a NUL byte at offset %2: the text after it was not read.\n"
                "Saving over the file replaces all of it with the lines shown, and that text "
                "is lost.")
            .arg(pathToQString(Doc_.FileName))
            .arg(static_cast<qulonglong>(*Doc_.NulOffset));
    QMessageBox box(QMessageBox::Warning, "Warning", text, QMessageBox::NoButton, this);
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

void TForm1::New1Click() {
    if (!SaveQuestion())
        return;
    Model_->Clear();
    Edits_->Clear();
    AdoptFile(TDocumentState::kNewFile);
}

void TForm1::Open1Click() {
    if (!SaveQuestion())
        return;
    std::string chosen;
    if (!OpenDialog1->Execute(chosen))
        return;
    OpenFile(chosen);
}

void TForm1::AskThenOpenFile(const std::string& path) {
    if (!SaveQuestion())
        return;
    OpenFile(path);
}

void TForm1::OpenFile(const std::string& path) {
    // Read first: a file that cannot be read leaves the list, the name and the flag as they were.
    std::optional<std::size_t> nulOffset;
    TDiskVersion version;
    std::vector<std::string> lines = readMessageFile(path, &nulOffset, &version);
    Model_->SetLines(std::move(lines));
    // However a file is opened, what was done to the list before cannot be undone into it.
    Edits_->Clear();
    AdoptFile(path, nulOffset, version);
    if (nulOffset) {
        QMessageBox box(QMessageBox::Warning, TApplication::Title(),
                        QString("%1 holds a NUL byte at offset %2: the text after it is not shown.")
                            .arg(pathToQString(path))
                            .arg(static_cast<qulonglong>(*nulOffset)),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

void TForm1::Save1Click() {
    SaveStep();
}

void TForm1::SaveAs1Click() {
    SaveAsStep();
}

bool TForm1::SaveAsStep() {
    std::string chosen;
    if (!SaveDialog1->Execute(chosen))
        return false;
    WriteList(chosen);
    return true;
}

bool TForm1::EditBlockInEditor() {
    return BEDlg_ && BEDlg_->ShowModal() != kModalResultCancel;
}

void TForm1::EditSelection1Click() {
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    const std::string line = Model_->Line(row);
    EditBlock_->ParseLine(line);
    // The editor gets the whole text, also past what a block keeps: confirmed unchanged it
    // stays whole, and an edited one is shortened only after the editor has asked.
    EditBlock_->Text = wholeLineText(line);
    if (!EditBlockInEditor())
        return;
    Edits_->Replace(row, EditBlock_->BuildLine(), "Edit Selection");
    ListBox1->SetItemIndex(row);
    SetModified();
}

void TForm1::DeleteSelection1Click() {
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    QMessageBox box(QMessageBox::Warning, "Warning",
                    "Are you sure you wish to delete the selection?",
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    if (box.exec() != QMessageBox::Ok)
        return;
    Edits_->Remove(row, "Delete Selection");
    ListBox1->selectionModel()->clearSelection();
    SetModified();
}

void TForm1::InsertNew1Click() {
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    EditBlock_->Text.clear();
    if (!EditBlockInEditor())
        return;
    Edits_->Insert(row, {EditBlock_->BuildLine()}, "Insert New");
    SetModified();
}

void TForm1::AddNew1Click() {
    for (;;) {
        EditBlock_->Text.clear();
        if (!EditBlockInEditor())
            return;
        Edits_->Insert(Model_->Count(), {EditBlock_->BuildLine()}, "Add New");
        SetModified();
    }
}

void TForm1::Undo1Click() {
    Edits_->Undo();
}

void TForm1::Redo1Click() {
    Edits_->Redo();
}

void TForm1::Cut1Click() {
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    // On the clipboard first: a line that cannot be put there stays in the list.
    copyBlockLines(QGuiApplication::clipboard(), {Model_->Line(row)});
    Edits_->Remove(row, "Cut");
    ListBox1->selectionModel()->clearSelection();
    SetModified();
}

void TForm1::Copy1Click() {
    const int row = ListBox1->ItemIndex();
    if (row < 0)
        return;
    copyBlockLines(QGuiApplication::clipboard(), {Model_->Line(row)});
}

void TForm1::Paste1Click() {
    std::vector<std::string> pasted = pasteBlockLines(QGuiApplication::clipboard());
    if (pasted.empty())
        return;
    // Before the selected block, which stays selected, as with Insert New; else at the end.
    const int row = ListBox1->ItemIndex();
    Edits_->Insert(row < 0 ? Model_->Count() : row, std::move(pasted), "Paste");
    SetModified();
}

void TForm1::MoveUp1Click() {
    const int row = ListBox1->ItemIndex();
    if (row > 0)
        MoveSelection(row, row - 1, "Move Up");
}

void TForm1::MoveDown1Click() {
    const int row = ListBox1->ItemIndex();
    if (row >= 0 && row + 1 < Model_->Count())
        MoveSelection(row, row + 1, "Move Down");
}

void TForm1::MoveSelection(int from, int to, const QString& name) {
    if (!Edits_->Move(from, to, name))
        return;
    ListBox1->SetItemIndex(to);
    SetModified();
}

void TForm1::Configuration1Click() {
    if (ComSetupDlg_)
        ComSetupDlg_->ShowModal();
}

QPrinter& TForm1::Printer() {
    if (!Printer_)
        Printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *Printer_;
}

void TForm1::Print1Click() {
    if (!execPrintDialog(Printer(), this))
        return;
    printListing(Printer(), Model_->Lines(), Doc_.FileName);
}

void TForm1::PrintSetup1Click() {
    execPrintSetupDialog(Printer(), this);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The links and the send buffer belong to the window: a send has to end before it goes.
    if (sending_) {
        event->ignore();
        AskToCancelSend();
        return;
    }
    // Refused until the answer allows it, so that a failed save keeps the window open.
    event->ignore();
    runCommand([this, event] {
        if (!Doc_.Modified || SaveQuestion())
            event->accept();
    });
    // Closed without saving (No), or saved: no copy is left to recover.
    if (event->isAccepted())
        Recovery_->Discard();
}

void TForm1::AskToCancelSend() {
    if (cancelQuestion_) {
        cancelQuestion_->raise();
        cancelQuestion_->activateWindow();
        return;
    }
    // Over the Sending Data window, which takes the user's input while the send goes on.
    auto* box = new QMessageBox(QMessageBox::Question, TApplication::Title(),
                                "A message is being sent to the sign.\nCancel the send and "
                                "close the editor?",
                                QMessageBox::Yes | QMessageBox::No, SendData1_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    connect(box, &QMessageBox::finished, this, [this](int answer) {
        if (answer != QMessageBox::Yes || !sender_)
            return;
        closeAfterSend_ = true;
        sender_->Cancel();
    });
    cancelQuestion_ = box;
    box->show();
}

void TForm1::PaintPending() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

namespace {

// A plain box with one OK button, captioned with the application's title.
void showSendMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, TApplication::Title(), text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void TForm1::SendMessage1Click() {
    if (sending_ || Model_->Count() == 0 || !AskSend1_ || !SendData1_)
        return;
    if (AskSend1_->ShowModal() == kModalResultCancel)
        return;
    // Should the send bring the machine down, the changes are kept.
    Recovery_->WriteNow();

    const TSignLink link =
        UsesNetwork() ? TSignLink::Network(BComm_->IP, TCP1.Port)
                      : TSignLink::Serial(static_cast<std::uint16_t>(BComm_->Port), BComm_->Baud);
    TSignSender sender(link, ComPort1, TCP1);
    sender.OnProgress = [this](std::size_t taken, std::size_t total) {
        SendData1_->SendProgress(taken, total);
    };
    // The Sending Data window takes the user's input (Cancel, Escape, its close request) and
    // every window is drawn; the other windows' input is thrown away meanwhile.
    sender.OnWait = [this] {
        SendData1_->ShowLatestProgress();
        QCoreApplication::processEvents();
    };
    const QMetaObject::Connection cancelling =
        connect(SendData1_, &TSendData1::CancelRequested, this, [&sender] { sender.Cancel(); });

    // Until the command ends the main window cannot close under the send.
    sending_ = true;
    sender_ = &sender;
    closeAfterSend_ = false;
    SendData1_->SetProgress(0, 0);
    SendData1_->BeginSend();
    PaintPending();
    TSendOutcome outcome;
    std::exception_ptr failure;
    try {
        const int width = AskSend1_->SpinEdit2->Value();
        const int start = AskSend1_->SpinEdit1->Value();
        outcome = sender.Send(Model_->Lines(), start, width, SendBuffer_, *SendBlock_);
    } catch (...) {
        failure = std::current_exception();
    }

    // The link is closed; the window goes before anything is reported.
    disconnect(cancelling);
    sending_ = false;
    sender_ = nullptr;
    if (cancelQuestion_)
        cancelQuestion_->close();
    SendData1_->EndSend();
    PaintPending();

    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const ESendOpenFailed& error) {
            TApplication::LogError(QString::fromLocal8Bit(error.what()));
            showSendMessage(this, QString::fromLocal8Bit(error.what()));
        } catch (const std::exception& error) {
            TApplication::ReportException(error);
        }
    } else if (outcome.cancelled) {
        const QString message = QString::fromStdString(outcome.message());
        TApplication::LogError(message);
        showSendMessage(this, message);
    }
    if (closeAfterSend_) {
        closeAfterSend_ = false;
        QTimer::singleShot(0, this, [this] { close(); });
    }
}
