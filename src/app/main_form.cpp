#include "app/main_form.h"

#include "app/file_commands.h"
#include "app/file_drop.h"
#include "app/open_file_watch.h"
#include "app/recent_files_menu.h"
#include "app/recovery_keeper.h"
#include "app/send_command.h"
#include "app/sign_preview_panel.h"
#include "editor/list_commands.h"
#include "editor/message_edits.h"
#include "editor/message_list_box.h"
#include "editor/message_list_model.h"
#include "editor/message_row.h"
#include "editor/printing.h"
#include "fleet/sign_choice.h"
#include "fleet/ui/send_to_command.h"
#include "sign/ui/com_setup_dlg.h"
#include "widgets/error_report.h"
#include "widgets/run_command.h"
#include "widgets/window_placement.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QPrinter>
#include <QTimer>

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent) {
    setObjectName("Form1");
    BComm_ = std::make_unique<TBComm>();
    SendBlock_ = std::make_unique<TBlock>();
    EditBlock_ = std::make_unique<TBlock>();

    setWindowTitle(tr("Lumavane Static Message Editor V1.0"));
    // 626 x 443 with the desktop's frame and title bar around it.
    resize(618, 412);
    centreWhenShown(this, TCentring::FirstShow);

    CreateList();
    // A message file dropped on the window from outside opens as with Open.
    FileDrop_ = new TFileDrop(
        *this, [this](const std::string& path) { FileCommands_->AskThenOpenFile(path); });

    FileCommands_ = new TFileCommands(*this, Doc_, *Model_, *Edits_);
    connect(FileCommands_, &TFileCommands::Changed, this, &TForm1::Refresh);
    // Unsaved changes outlive a crash.
    Recovery_ = new TRecoveryKeeper(*this);

    CreateFileMenu();
    CreateEditMenu();
    SignPreview_ = new TSignPreviewPanel(*this);
    View1 = SignPreview_->View1;
    SignPreview1 = SignPreview_->SignPreview1;

    CreateLinks();
}

void TForm1::CreateList() {
    Model_ = new TMessageListModel(this);
    Edits_ = new TMessageEdits(*Model_, this);
    ListBox1 = new TMessageListBox(this);
    ListBox1->setModel(Model_);
    ListBox1->setAccessibleName(tr("Message lines"));
    ListBox1->SetDrawItemHandler(
        [this](QPainter& painter, int index, const QRect& rect, QStyle::State state) {
            ListBox1DrawItem(painter, index, rect, state);
        });
    setCentralWidget(ListBox1);
    ListCommands_ = new TListCommands(*Model_, *Edits_, *ListBox1, *EditBlock_);
    // A double click and Enter on a row both change that row.
    const auto editSelection = [this] { runCommand([this] { EditSelection1Click(); }); };
    connect(ListBox1, &TMessageListBox::DblClick, this, editSelection);
    connect(ListBox1, &TMessageListBox::EnterPressed, this, editSelection);
    // Undoing back to the list last opened or saved clears the modified flag; any other step
    // sets it.
    connect(Edits_, &TMessageEdits::SavedStateChanged, this, [this] { Refresh(); });
}

void TForm1::CreateLinks() {
    const std::string settingsPath = BComm_->settingsPath();
    SendCommand_ = new TSendCommand(*this, *BComm_, ComPort1, TCP1, SendBuffer_, *SendBlock_);
    // Send To: the named signs of the settings file.
    SendTo_ = new TSendToCommand(*this, *Send1, settingsPath,
                                 [this] { return Model_->Lines().toVector(); });
    SendTo1 = SendTo_->SendTo1;
    const auto closeLater = [this] { QTimer::singleShot(0, this, [this] { close(); }); };
    connect(SendCommand_, &TSendCommand::CloseAfterSend, this, closeLater);
    connect(SendTo_, &TSendToCommand::CloseAfterSend, this, closeLater);
    // Should the send bring the machine down, the changes are kept; the list stays as it is
    // while the send runs.
    SendCommand_->BeforeSend = [this] { Recovery_->WriteNow(); };
    SendTo_->BeforeSend = SendCommand_->BeforeSend;
    SendTo_->FileName = [this] { return Doc_.FileName; };
    FileCommands_->Watch().Busy = [this] { return Sending(); };

    // A value out of range in the settings file, and a sign section that the command-line
    // sender cannot use, are told once, when the window is up.
    const QString settingsReport = QString::fromLocal8Bit(loadEditorSettings(*BComm_));
    if (!settingsReport.isEmpty())
        QTimer::singleShot(0, this, [settingsReport] { reportError(settingsReport); });
}

TForm1::~TForm1() {
    // The panel watches the window, which is hidden on its way out.
    delete SignPreview_;
    SignPreview_ = nullptr;
    BComm_.reset();
    SendBlock_.reset();
    EditBlock_.reset();
}

void TForm1::SetBlockEditor(TBEDlg* dialog) {
    ListCommands_->SetBlockEditor(dialog);
}

void TForm1::SetSendDialogs(TAskSend1* askSend, TSendData1* sendData) {
    SendCommand_->SetDialogs(askSend, sendData);
    SendTo_->SetAskSend(askSend);
}

bool TForm1::Sending() const {
    return SendCommand_->Sending() || SendTo_->Sending();
}

QAction* TForm1::AddItem(QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& shortcut, Handler handler) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this,
            [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    return action;
}

void TForm1::CreateFileMenu() {
    File1 = menuBar()->addMenu(tr("&File"));
    File1->setObjectName("File1");
    New1 = AddItem(File1, "New1", tr("&New"), QKeySequence("Ctrl+N"), &TForm1::New1Click);
    Open1 = AddItem(File1, "Open1", tr("&Open..."), QKeySequence("Ctrl+O"), &TForm1::Open1Click);
    Save1 = AddItem(File1, "Save1", tr("&Save..."), QKeySequence("Ctrl+S"), &TForm1::Save1Click);
    SaveAs1 =
        AddItem(File1, "SaveAs1", tr("Save &As..."), QKeySequence("Ctrl+A"), &TForm1::SaveAs1Click);
    N1 = File1->addSeparator();
    N1->setObjectName("N1");
    Print1 = AddItem(File1, "Print1", tr("&Print"), QKeySequence("Ctrl+P"), &TForm1::Print1Click);
    // One access key per item: "P" belongs to Print, so Print Setup is reached with "E".
    PrintSetup1 = AddItem(File1, "PrintSetup1", tr("Print S&etup..."), QKeySequence(),
                          &TForm1::PrintSetup1Click);
    RecentFiles_ = new TRecentFilesMenu(
        *File1, [this](const std::string& path) { FileCommands_->AskThenOpenFile(path); }, this);
    FileCommands_->SetRecentFiles(RecentFiles_);
}

void TForm1::CreateEditMenu() {
    Edit1 = menuBar()->addMenu(tr("&Edit"));
    Edit1->setObjectName("Edit1");
    EditSelection1 = AddItem(Edit1, "EditSelection1", tr("&Edit Selection..."),
                             QKeySequence("Ctrl+E"), &TForm1::EditSelection1Click);
    DeleteSelection1 = AddItem(Edit1, "DeleteSelection1", tr("&Delete Selection"),
                               QKeySequence(Qt::Key_Delete), &TForm1::DeleteSelection1Click);
    InsertNew1 = AddItem(Edit1, "InsertNew1", tr("&Insert New..."), QKeySequence(Qt::Key_Insert),
                         &TForm1::InsertNew1Click);
    AddNew1 = AddItem(Edit1, "AddNew1", tr("&Add New..."), QKeySequence(), &TForm1::AddNew1Click);
    CreateListEditing();

    Send1 = menuBar()->addMenu(tr("&Send"));
    Send1->setObjectName("Send1");
    Configuration1 = AddItem(Send1, "Configuration1", tr("&Configuration"), QKeySequence(),
                             &TForm1::Configuration1Click);
    SendMessage1 = AddItem(Send1, "SendMessage1", tr("&Send Message"), QKeySequence(Qt::Key_F9),
                           &TForm1::SendMessage1Click);
}

void TForm1::CreateListEditing() {
    // Undo and Redo head the menu and name the step they take back or do again.
    Undo1 = AddItem(Edit1, "Undo1", tr("&Undo"), QKeySequence("Ctrl+Z"), &TForm1::Undo1Click);
    Redo1 = AddItem(Edit1, "Redo1", tr("&Redo"), QKeySequence("Ctrl+Shift+Z"), &TForm1::Redo1Click);
    Redo1->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
    for (QAction* action : {Undo1, Redo1})
        Edit1->insertAction(EditSelection1, action);
    Edit1->insertSeparator(EditSelection1)->setObjectName("N2");
    ShowHistoryCaptions();
    connect(&Edits_->History(), &QUndoStack::indexChanged, this, &TForm1::ShowHistoryCaptions);
    connect(&Edits_->History(), &QUndoStack::cleanChanged, this, &TForm1::ShowHistoryCaptions);

    // Blocks go to other messages and programs as their lines of text.
    Edit1->addSeparator()->setObjectName("N3");
    Cut1 = AddItem(Edit1, "Cut1", tr("Cu&t"), QKeySequence("Ctrl+X"), &TForm1::Cut1Click);
    Copy1 = AddItem(Edit1, "Copy1", tr("&Copy"), QKeySequence("Ctrl+C"), &TForm1::Copy1Click);
    Paste1 = AddItem(Edit1, "Paste1", tr("&Paste"), QKeySequence("Ctrl+V"), &TForm1::Paste1Click);

    // "Move &Up" would share its letter with "&Undo": the moves have a menu of their own.
    Edit1->addSeparator()->setObjectName("N4");
    MoveBlock1 = Edit1->addMenu(tr("&Move Block"));
    MoveBlock1->setObjectName("MoveBlock1");
    MoveUp1 = AddItem(MoveBlock1, "MoveUp1", tr("Move &Up"), QKeySequence("Alt+Up"),
                      &TForm1::MoveUp1Click);
    MoveDown1 = AddItem(MoveBlock1, "MoveDown1", tr("Move Do&wn"), QKeySequence("Alt+Down"),
                        &TForm1::MoveDown1Click);
}

void TForm1::ShowHistoryCaptions() {
    const QUndoStack& history = Edits_->History();
    Undo1->setText(history.canUndo() ? tr("&Undo %1").arg(history.undoText()) : tr("&Undo"));
    Redo1->setText(history.canRedo() ? tr("&Redo %1").arg(history.redoText()) : tr("&Redo"));
    Undo1->setEnabled(history.canUndo());
    Redo1->setEnabled(history.canRedo());
}

void TForm1::Refresh() {
    Doc_.Modified = !Edits_->AtSavedState();
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

TMessageFileDialog& TForm1::OpenDialog1() {
    return FileCommands_->OpenDialog();
}

TMessageFileDialog& TForm1::SaveDialog1() {
    return FileCommands_->SaveDialog();
}

void TForm1::New1Click() {
    FileCommands_->New();
}

void TForm1::Open1Click() {
    FileCommands_->Open();
}

void TForm1::OpenFile(const std::string& path) {
    FileCommands_->OpenFile(path);
}

void TForm1::Save1Click() {
    FileCommands_->Save();
}

void TForm1::SaveAs1Click() {
    FileCommands_->SaveAs();
}

// The Edit menu's commands act on the list through its undo history.
void TForm1::EditSelection1Click() {
    ListCommands_->EditSelection();
}

void TForm1::DeleteSelection1Click() {
    ListCommands_->DeleteSelection();
}

void TForm1::InsertNew1Click() {
    ListCommands_->InsertNew();
}

void TForm1::AddNew1Click() {
    ListCommands_->AddNew();
}

void TForm1::Undo1Click() {
    Edits_->Undo();
}

void TForm1::Redo1Click() {
    Edits_->Redo();
}

void TForm1::Cut1Click() {
    ListCommands_->Cut();
}

void TForm1::Copy1Click() {
    ListCommands_->Copy();
}

void TForm1::Paste1Click() {
    ListCommands_->Paste();
}

void TForm1::MoveUp1Click() {
    ListCommands_->MoveUp();
}

void TForm1::MoveDown1Click() {
    ListCommands_->MoveDown();
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
    if (execPrintDialog(Printer(), this))
        printListing(Printer(), Model_->Lines().toVector(), Doc_.FileName);
}

void TForm1::PrintSetup1Click() {
    execPrintSetupDialog(Printer(), this);
}

void TForm1::SendMessage1Click() {
    SendCommand_->Run(Model_->Lines().toVector(), Doc_.FileName);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Refused until the answer allows it, so that a failed save keeps the window open.
    event->ignore();
    // The links and the send buffer belong to the window: a send has to end before it goes.
    if (SendCommand_->Sending())
        return SendCommand_->AskToCancelAndClose();
    if (SendTo_->Sending())
        return SendTo_->CancelAndClose();
    runCommand([this, event] { event->setAccepted(FileCommands_->SaveQuestion()); });
    // Closed without saving (No), or saved: no copy is left to recover.
    if (event->isAccepted())
        Recovery_->Discard();
}
