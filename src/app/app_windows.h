#pragma once

#include <memory>

class TForm1;
class TBEDlg;
class TComSetupDlg;
class TAskSend1;
class TSendData1;

// Every window of the program, created once at start-up in a fixed order and kept until the end
// of the run: the main window first, then the dialogs, hidden.
class TAppWindows {
public:
    TAppWindows();
    ~TAppWindows();
    TAppWindows(const TAppWindows&) = delete;
    TAppWindows& operator=(const TAppWindows&) = delete;

    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TBEDlg> BEDlg;
    std::unique_ptr<TComSetupDlg> ComSetupDlg;
    std::unique_ptr<TAskSend1> AskSend1;
    std::unique_ptr<TSendData1> SendData1;
};
