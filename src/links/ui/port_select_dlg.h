#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TComPort;

// "Select Port": offers the serial ports that can be opened when no port number is set.
// It probes ports 1 to 50 through the device resolver when it is created; ports that open,
// and ports that exist but are held or not permitted, are listed as "COM<n>".
class TPortSelectDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPortSelectDlg(const std::function<std::string(unsigned)>& deviceResolver,
                            QWidget* parent = nullptr);

    // The number after the first three characters of the selected entry; none when the list
    // is empty.
    std::optional<unsigned> chosenPort() const;

    QLabel* Label1;
    QLabel* Label2;
    QFrame* Bevel1;
    QPushButton* OkBtn;
    QPushButton* AbortBtn;
    QComboBox* PortsComboBox;
};

// Makes `port` ask the user with the Select Port dialog when it opens without a port number.
void installPortSelectDialog(TComPort& port, QWidget* parent = nullptr);
