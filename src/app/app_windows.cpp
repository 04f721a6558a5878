#include "app/app_windows.h"

#include "app/main_form.h"
#include "app/sign_preview_panel.h"
#include "editor/block_editor.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/com_setup_dlg.h"
#include "sign/ui/send_data.h"
#include "store/ui/ox_persist.h"
#include "widgets/error_report.h"

TAppWindows::TAppWindows() {
    Form1 = std::make_unique<TForm1>();
    BEDlg = std::make_unique<TBEDlg>(Form1->EditBlock(), Form1.get());
    Form1->SetBlockEditor(BEDlg.get());
    ComSetupDlg = std::make_unique<TComSetupDlg>(Form1->Comm(), Form1.get());
    Form1->SetComSetupDialog(ComSetupDlg.get());
    AskSend1 = std::make_unique<TAskSend1>(Form1.get());
    // A store that fails at the end of the run goes to the error log only: the main window has
    // closed, and a box now would hold the ending program. (A store file that cannot be read
    // has been reported with a box at start-up already.)
    AskSend1->oxPersist1->OnError = [](const std::exception& error) { logError(error); };
    SendData1 = std::make_unique<TSendData1>(Form1.get());
    Form1->SetSendDialogs(AskSend1.get(), SendData1.get());
    Form1->SignPreview().Attach(*AskSend1, *ComSetupDlg, *BEDlg);
}

TAppWindows::~TAppWindows() {
    // The dialogs go before the main window that owns the blocks they refer to.
    Form1->SetSendDialogs(nullptr, nullptr);
    SendData1.reset();
    // Destroying the Select Address dialog writes its remembered values.
    AskSend1.reset();
    ComSetupDlg.reset();
    BEDlg.reset();
    Form1.reset();
}
