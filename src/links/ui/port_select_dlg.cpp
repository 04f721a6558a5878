#include "links/ui/port_select_dlg.h"

#include "links/comport.h"
#include "widgets/modal_result.h"
#include "widgets/window_placement.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

TPortSelectDlg::TPortSelectDlg(const std::function<std::string(unsigned)>& deviceResolver,
                               QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Select Port"));
    setFont(QFont(QStringLiteral("Sans Serif"), 8));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Label1 = new QLabel(tr("The configured serial port is not valid."), Bevel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(tr("Please choose another port."), Bevel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* texts = new QVBoxLayout(Bevel1);
    texts->setContentsMargins(8, 6, 8, 6);
    texts->addWidget(Label1);
    texts->addWidget(Label2);

    OkBtn = new QPushButton(tr("OK"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setMinimumSize(75, 25);
    OkBtn->setDefault(true);
    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    AbortBtn = new QPushButton(tr("Cancel"), this);
    AbortBtn->setObjectName(QStringLiteral("AbortBtn"));
    AbortBtn->setMinimumSize(75, 25);
    // Cancel ends the dialog with the Abort result: no port is chosen.
    connect(AbortBtn, &QPushButton::clicked, this, [this] { done(kModalResultAbort); });

    PortsComboBox = new QComboBox(this);
    PortsComboBox->setObjectName(QStringLiteral("PortsComboBox"));
    PortsComboBox->setEditable(false);
    PortsComboBox->setAccessibleName(tr("Serial port"));
    PortsComboBox->setPlaceholderText(tr("(no serial port found)"));
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
    // Nothing to choose: only Cancel ends the dialog.
    OkBtn->setEnabled(PortsComboBox->count() > 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(AbortBtn);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(Bevel1);
    layout->addWidget(PortsComboBox);
    layout->addLayout(buttons);
    // 220 x 131, or larger where the font needs it: no text is ever cut.
    setFixedSize(layout->sizeHint().expandedTo(QSize(220, 131)));
    centreWhenShown(this, TCentring::EveryShow);
}

std::optional<unsigned> TPortSelectDlg::chosenPort() const {
    bool ok = false;
    const unsigned number = PortsComboBox->currentText().mid(3).toUInt(&ok);
    if (!ok)
        return std::nullopt;
    return number;
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
