#include "app/app_windows.h"

#include "app/main_form.h"
#include "editor/block_editor.h"
#include "sign/ui/com_setup_dlg.h"

TAppWindows::TAppWindows() {
    Form1 = std::make_unique<TForm1>();
    BEDlg = std::make_unique<TBEDlg>(Form1->EditBlock(), Form1.get());
    Form1->SetBlockEditor(BEDlg.get());
    ComSetupDlg = std::make_unique<TComSetupDlg>(Form1->Comm(), Form1.get());
    Form1->SetComSetupDialog(ComSetupDlg.get());
}

TAppWindows::~TAppWindows() {
    // The dialogs go before the main window that owns the blocks they refer to.
    ComSetupDlg.reset();
    BEDlg.reset();
    Form1.reset();
}
