#include "fleet/ui/send_results.h"

#include "widgets/window_placement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString local(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TSendResults::TSendResults(const std::vector<TSignJob>& jobs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , jobs_(jobs) {
    setObjectName(QStringLiteral("SendResults1"));
    setWindowTitle(tr("Send To"));
    setModal(true);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Results1 = new QTableWidget(static_cast<int>(jobs.size()), 4, this);
    Results1->setObjectName(QStringLiteral("Results1"));
    Results1->setAccessibleName(tr("Results"));
    Results1->setHorizontalHeaderLabels({tr("Sign"), tr("Link"), tr("Bytes"), tr("Result")});
    Results1->verticalHeader()->hide();
    Results1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Results1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Results1->horizontalHeader()->setStretchLastSection(true);
    Results1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A long reason wraps within its row rather than running off the window.
    Results1->setWordWrap(true);
    for (int row = 0; row < Results1->rowCount(); ++row) {
        for (int column = 0; column < 4; ++column)
            Results1->setItem(row, column, new QTableWidgetItem);
    }
    CancelBtn = new QPushButton(tr("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setDefault(true);
    connect(CancelBtn, &QPushButton::clicked, this, &TSendResults::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Results1);
    layout->addLayout(buttons);
    resize(760, std::min(160 + 30 * static_cast<int>(jobs.size()), 560));
    centreWhenShown(this, TCentring::EveryShow);
    Show(std::vector<TSignReport>(jobs.size()), false);
    for (int column = 0; column < 3; ++column)
        Results1->resizeColumnToContents(column);
}

QStringList TSendResults::RowTexts(const TSignJob& job, const TSignReport& report) {
    // The line that lumavane-send prints and errors.log keeps: name, link, bytes, result.
    const std::string line = reportLine(job, report);
    const std::string link = describeJobLink(job);
    const std::string rest = line.substr(std::min(line.size(), job.name.size() + link.size() + 2));
    const std::size_t tab = rest.find('\t');
    QString result = local(rest.substr(tab == std::string::npos ? rest.size() : tab + 1));
    if (report.state == TSignReport::State::Waiting)
        result = tr("waiting");
    else if (report.state == TSignReport::State::Sending)
        result = tr("sending");
    return {local(job.name), local(link), local(rest.substr(0, tab)), result};
}

void TSendResults::Show(const std::vector<TSignReport>& reports, bool ended) {
    std::size_t done = 0;
    std::size_t sent = 0;
    for (std::size_t i = 0; i < jobs_.size() && i < reports.size(); ++i) {
        const QStringList texts = RowTexts(jobs_[i], reports[i]);
        for (int column = 0; column < texts.size(); ++column) {
            QTableWidgetItem* item = Results1->item(static_cast<int>(i), column);
            if (item->text() != texts[column]) {
                item->setText(texts[column]);
                item->setToolTip(texts[column]);
            }
        }
        done += reports[i].ended() ? 1 : 0;
        sent += reports[i].state == TSignReport::State::Sent ? 1 : 0;
    }
    if (!ended_ && ended) {
        for (int column = 0; column < 3; ++column)
            Results1->resizeColumnToContents(column);
        Results1->resizeRowsToContents();
    }
    ended_ = ended;
    if (ended)
        Label1->setText(tr("Sent to %1 of %2 signs.").arg(sent).arg(jobs_.size()));
    else if (cancelAsked_)
        Label1->setText(tr("Stopping... %1 of %2 signs ended.").arg(done).arg(jobs_.size()));
    else
        Label1->setText(tr("Sending... %1 of %2 signs ended.").arg(done).arg(jobs_.size()));
    CancelBtn->setText(ended ? tr("Close") : tr("Cancel"));
    CancelBtn->setEnabled(ended || !cancelAsked_);
}

void TSendResults::reject() {
    if (ended_) {
        QDialog::reject();
        return;
    }
    if (!cancelAsked_) {
        cancelAsked_ = true;
        CancelBtn->setEnabled(false);
        Label1->setText(tr("Stopping..."));
        emit CancelRequested();
    }
}
