#pragma once

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

class QAction;
class QMenu;
class QMessageBox;
class QPrinter;
class TBEDlg;
class TComSetupDlg;
class TFileCommands;
class TRecoveryKeeper;
class TFileDrop;
class TRecentFilesMenu;
class TListCommands;
class TSendCommand;
class TSendToCommand;
class TMessageFileDialog;
class TMessageEdits;
class TMessageListBox;
class TMessageListModel;
class TAskSend1;
class TSendData1;
class TSignPreviewPanel;

// The main window: owns the message list, the document state and the two blocks, shows the
// list, keeps its title, and runs every command from its menu.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The dialogs are created after the main window; the owner hands them over.
    void SetBlockEditor(TBEDlg* dialog);
    void SetComSetupDialog(TComSetupDlg* dialog) { ComSetupDlg_ = dialog; }
    void SetSendDialogs(TAskSend1* askSend, TSendData1* sendData);

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

    // Takes the modified flag from the undo history (modified unless the list is the one last
    // opened or saved), sets the title from the file name and the flag, repaints the list.
    void Refresh();

    // The controls and menu items, by their names.
    TMessageListBox* ListBox1 = nullptr;
    // The file dialogs, made when first needed.
    TMessageFileDialog& OpenDialog1();
    TMessageFileDialog& SaveDialog1();
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
    QMenu* SendTo1 = nullptr;

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
    bool Sending() const;

    // The File menu's commands, which also follow the list's file as other programs change it.
    TFileCommands& FileCommands() { return *FileCommands_; }
    // The recovery copy of unsaved changes.
    TRecoveryKeeper& Recovery() { return *Recovery_; }

    // Draws one row of ListBox1.
    void ListBox1DrawItem(QPainter& painter, int Index, const QRect& Rect, QStyle::State State);

    // Replaces the list by the lines of the message file at `path` and adopts its name. The list,
    // name and flag stay as they were when the file cannot be read.
    void OpenFile(const std::string& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    using Handler = void (TForm1::*)();
    // A menu item named `name` that runs `handler` as a command of the user.
    QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut, Handler handler);
    // The list control with its model, its undo history and its commands.
    void CreateList();
    // The two links and the send commands, with the settings that choose between them.
    void CreateLinks();
    void CreateFileMenu();
    void CreateEditMenu();
    // The Edit menu's history, clipboard and move items.
    void CreateListEditing();
    // Names the step that Undo and Redo would take back or do again.
    void ShowHistoryCaptions();

    std::unique_ptr<TBComm> BComm_;
    std::unique_ptr<TBlock> SendBlock_;
    std::unique_ptr<TBlock> EditBlock_;
    TDocumentState Doc_;
    TMessageListModel* Model_ = nullptr;
    TMessageEdits* Edits_ = nullptr;
    TFileCommands* FileCommands_ = nullptr;
    TListCommands* ListCommands_ = nullptr;
    TSendCommand* SendCommand_ = nullptr;
    TSendToCommand* SendTo_ = nullptr;
    TRecoveryKeeper* Recovery_ = nullptr;
    TSignPreviewPanel* SignPreview_ = nullptr;
    TRecentFilesMenu* RecentFiles_ = nullptr;
    TFileDrop* FileDrop_ = nullptr;
    TComSetupDlg* ComSetupDlg_ = nullptr;
    std::unique_ptr<QPrinter> Printer_;
    TSendBuffer SendBuffer_;
};
