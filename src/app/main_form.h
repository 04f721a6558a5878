#pragma once

#include "files/disk_version.h"
#include "links/comport.h"
#include "links/tcpclient.h"
#include "model/block.h"
#include "model/document.h"
#include "sign/comm_settings.h"
#include "sign/send_buffer.h"

#include <QMainWindow>
#include <QPointer>
#include <QStyle>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMessageBox;
class QPrinter;
class TBEDlg;
class TComSetupDlg;
class TFileDrop;
class TRecentFilesMenu;
class TMessageFileDialog;
class TMessageEdits;
class TMessageListBox;
class TMessageListModel;
class TOpenFileWatch;
class TRecoveryKeeper;
class TAskSend1;
class TSendData1;
class TSignPreviewPanel;
class TSignSender;

// The main window: owns the message list, the document state and the two blocks, shows the
// list, keeps its title, and runs every command from its menu.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialogs are created after the main window; the owner hands them over.
    void SetBlockEditor(TBEDlg* dialog) { BEDlg_ = dialog; }
    void SetComSetupDialog(TComSetupDlg* dialog) { ComSetupDlg_ = dialog; }
    void SetSendDialogs(TAskSend1* askSend, TSendData1* sendData) {
        AskSend1_ = askSend;
        SendData1_ = sendData;
    }

    TBComm& Comm() { return *BComm_; }

    TBlock& EditBlock() { return *EditBlock_; }
    TBlock& SendBlock() { return *SendBlock_; }
    const TDocumentState& Document() const { return Doc_; }
    TMessageListModel& Lines() { return *Model_; }
    // The list's undo history.
    TMessageEdits& Edits() { return *Edits_; }
    // View > Sign Preview, and how each line fits the sign.
    TSignPreviewPanel& SignPreview() { return *SignPreview_; }
    // The one printer of the run, made on first use: Print Setup chooses it, Print uses it.
    QPrinter& Printer();
    // The sign data stream of the last send.
    const TSendBuffer& SendBuffer() const { return SendBuffer_; }

    // Sets the title from the file name and the modified flag and repaints the list.
    void Refresh();

    // The controls and menu items, by their names.
    TMessageListBox* ListBox1 = nullptr;
    TMessageFileDialog* OpenDialog1 = nullptr;
    TMessageFileDialog* SaveDialog1 = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Send1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrintSetup1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* EditSelection1 = nullptr;
    QAction* DeleteSelection1 = nullptr;
    QAction* InsertNew1 = nullptr;
    QAction* AddNew1 = nullptr;
    QAction* Cut1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Paste1 = nullptr;
    QMenu* MoveBlock1 = nullptr;
    QAction* MoveUp1 = nullptr;
    QAction* MoveDown1 = nullptr;
    QAction* SignPreview1 = nullptr;
    QAction* Configuration1 = nullptr;
    QAction* SendMessage1 = nullptr;

    // The two links to the sign.
    TComPort ComPort1;
    TTcpClient TCP1;

    // The commands.
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void EditSelection1Click();
    void DeleteSelection1Click();
    void InsertNew1Click();
    void AddNew1Click();
    void Undo1Click();
    void Redo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void MoveUp1Click();
    void MoveDown1Click();
    void Configuration1Click();
    void Print1Click();
    void PrintSetup1Click();
    void SendMessage1Click();

    // True while a send runs.
    bool Sending() const { return sending_; }

    // Draws one row of ListBox1.
    void ListBox1DrawItem(QPainter& painter, int Index, const QRect& Rect, QStyle::State State);

    // Replaces the list by the lines of the message file at `path` and adopts its name. The list,
    // name and flag stay as they were when the file cannot be read.
    void OpenFile(const std::string& path);

    // Opens `path` the way File > Open does once a file is chosen: the save question first
    // (Cancel keeps everything), then OpenFile. A dropped file and Recent Files come here.
    void AskThenOpenFile(const std::string& path);

    // Writes the list to its file, asking for a name first when it has none. A file whose
    // reading stopped at a NUL byte, or that changed on disk since it was read or saved, is
    // not written over without asking: Save As is offered. False when the user cancelled.
    bool SaveStep();

    // The list's file as other programs change it, and the recovery copy of unsaved changes.
    TOpenFileWatch& FileWatch() { return *FileWatch_; }
    TRecoveryKeeper& Recovery() { return *Recovery_; }
    // An empty message under `path`, where no file stands yet: Save writes it there.
    void StartNewFile(const std::string& path);
    // Replaces the list by the lines of its own file as read again (`version`), as one step
    // that Undo takes back; the list is then the one in its file.
    void ReloadFromDisk(std::vector<std::string> lines, std::optional<std::size_t> nulOffset,
                        const TDiskVersion& version);
    // Opens a recovered message: `lines` under `fileName`, modified; `base` is the version of
    // the file that the changes were made to.
    void RecoverMessage(const std::string& fileName, std::vector<std::string> lines,
                        const TDiskVersion& base);
    // The list is no longer the one in its file (the file was deleted): it counts as modified.
    void MarkUnsaved();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateMenu();
    // The Edit menu's history, clipboard and move items, and the list's row dragging.
    void CreateListEditing(
        const std::function<QAction*(QMenu*, const char*, const QString&, const QKeySequence&,
                                     void (TForm1::*)())>& addItem);
    // Moves the selected line to `to` as the command `name`; the selection follows it.
    void MoveSelection(int from, int to, const QString& name);
    // Asks "Do you wish to save ...?" when the list is modified. True when the command may go on.
    bool SaveQuestion();
    // Save As: false when the user cancelled the dialog.
    bool SaveAsStep();
    // Writes the list to `path` and makes it the list's file, saved.
    void WriteList(const std::string& path);
    // Makes `path` the list's file, as just opened or saved: the one place that sets the file
    // name, clears the modified flag and sets the title. `nulOffset`: the reading of the file
    // stopped at a NUL byte there.
    // `version`: the file as read or written.
    void AdoptFile(const std::string& path, std::optional<std::size_t> nulOffset = std::nullopt,
                   const TDiskVersion& version = {});
    enum class OverwriteAnswer { SaveAs, Replace, Cancel };
    // Asks before the list is written over a file that holds more than it.
    OverwriteAnswer AskOverPartlyReadFile();
    // Runs the block editor on the edit block; true when the user confirmed it.
    bool EditBlockInEditor();
    // Sets the modified flag, and the title with it.
    void SetModified();
    // The port number of the settings selects the network link from 5 on.
    bool UsesNetwork() const { return BComm_->Port >= 5; }
    // Draws the windows that wait for it, without taking the user's input.
    static void PaintPending();
    // Asked when the window is to close during a send: cancel the send and close afterwards?
    void AskToCancelSend();

    std::unique_ptr<TBComm> BComm_;
    std::unique_ptr<TBlock> SendBlock_;
    std::unique_ptr<TBlock> EditBlock_;
    TDocumentState Doc_;
    TMessageListModel* Model_ = nullptr;
    TMessageEdits* Edits_ = nullptr;
    TSignPreviewPanel* SignPreview_ = nullptr;
    TRecentFilesMenu* RecentFiles_ = nullptr;
    TFileDrop* FileDrop_ = nullptr;
    TOpenFileWatch* FileWatch_ = nullptr;
    TRecoveryKeeper* Recovery_ = nullptr;
    TBEDlg* BEDlg_ = nullptr;
    TComSetupDlg* ComSetupDlg_ = nullptr;
    std::unique_ptr<QPrinter> Printer_;
    TAskSend1* AskSend1_ = nullptr;
    TSendData1* SendData1_ = nullptr;
    TSendBuffer SendBuffer_;
    bool sending_ = false;
    // The send that runs, and what the user asked of it by closing the window.
    TSignSender* sender_ = nullptr;
    QPointer<QMessageBox> cancelQuestion_;
    bool closeAfterSend_ = false;
};
