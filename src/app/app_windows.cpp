#include "app/app_windows.h"

#include "app/main_form.h"
#include "editor/block_editor.h"

TAppWindows::TAppWindows() {
    Form1 = std::make_unique<TForm1>();
    BEDlg = std::make_unique<TBEDlg>(Form1->EditBlock(), Form1.get());
    Form1->SetBlockEditor(BEDlg.get());
}

TAppWindows::~TAppWindows() {
    // The dialogs go before the main window that owns the blocks they refer to.
    BEDlg.reset();
    Form1.reset();
}
