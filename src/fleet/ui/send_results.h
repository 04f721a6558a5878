#pragma once

#include "fleet/multi_send.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

// "Send To": one row a sign while a message goes to several at once (its name, its link, the
// bytes it took and how its send ended, with the reason), updated as they go. Cancel stops them
// all (Escape and the close box too); once every sign has ended it becomes Close and the rows
// stay for the user to read.
class TSendResults : public QDialog {
    Q_OBJECT
public:
    TSendResults(const std::vector<TSignJob>& jobs, QWidget* parent = nullptr);

    // Shows where each sign stands; `ended`: the run is over.
    void Show(const std::vector<TSignReport>& reports, bool ended);

    QLabel* Label1;
    QTableWidget* Results1;
    QPushButton* CancelBtn;

    // The columns of a sign's row, in the words of the command-line sender's line.
    static QStringList RowTexts(const TSignJob& job, const TSignReport& report);

signals:
    // The user asked to stop the sends (once).
    void CancelRequested();

protected:
    void reject() override;

private:
    std::vector<TSignJob> jobs_;
    bool ended_ = false;
    bool cancelAsked_ = false;
};
