#include "links/ui/port_select_dlg.h"

#include "links/comport.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

TPortSelectDlg::TPortSelectDlg(const std::function<std::string(unsigned)>& deviceResolver,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select Port"));
    setFont(QFont(QStringLiteral("Sans Serif"), 8));
    setFixedSize(220, 131);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Label1 = new QLabel(QStringLiteral("The configured serial port is not valid."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(14, 14, 192, 16);
    Label2 = new QLabel(QStringLiteral("Please choose another port."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(14, 36, 192, 16);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(6, 6, 208, 54);
    Bevel1->lower();

    OkBtn = new QPushButton(QStringLiteral("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setGeometry(30, 100, 75, 25);
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    AbortBtn = new QPushButton(QStringLiteral("Cancel"), this);
    AbortBtn->setObjectName(QStringLiteral("AbortBtn"));
    AbortBtn->setGeometry(115, 100, 75, 25);
    connect(AbortBtn, &QPushButton::clicked, this, [this] { done(AbortResult); });

    PortsComboBox = new QComboBox(this);
    PortsComboBox->setObjectName(QStringLiteral("PortsComboBox"));
    PortsComboBox->setEditable(false);
    PortsComboBox->setGeometry(6, 68, 208, 24);
    for (unsigned n = 1; n <= 50; ++n) {
        const std::string path = deviceResolver ? deviceResolver(n) : defaultComDevice(n);
        switch (TComPort::Probe(path)) {
        case TProbeResult::Opened:
        case TProbeResult::Held:
        case TProbeResult::PermissionDenied:
            PortsComboBox->addItem(QStringLiteral("COM%1").arg(n));
            break;
        case TProbeResult::Missing:
        case TProbeResult::Failed:
            break;
        }
    }
    if (PortsComboBox->count() > 0)
        PortsComboBox->setCurrentIndex(0);
}

std::optional<unsigned> TPortSelectDlg::chosenPort() const {
    bool ok = false;
    const unsigned number = PortsComboBox->currentText().mid(3).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

void TPortSelectDlg::showEvent(QShowEvent* event) {
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void installPortSelectDialog(TComPort& port, QWidget* parent) {
    QPointer<QWidget> owner(parent);
    port.PortPrompt = [owner](const TComPort& asking) -> std::optional<unsigned> {
        TPortSelectDlg dialog(asking.DeviceResolver, owner.data());
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.chosenPort();
    };
}
