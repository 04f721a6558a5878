#pragma once

#include "model/recovery_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class TForm1;

// Keeps a recovery copy of the main window's message while it has unsaved changes
// (model/recovery_store.h): written a moment after the last change (never more than five
// seconds after a change) and before every send; removed once the message is saved or
// unmodified again, and when the window closes without saving. At start the copies of editors
// that ended without closing (a crash, a power cut, kill -9) are offered back.
class TRecoveryKeeper : public QObject {
    Q_OBJECT
public:
    explicit TRecoveryKeeper(TForm1& form, std::string folder = recoveryFolder());
    ~TRecoveryKeeper() override;

    const TRecoveryStore& Store() const { return store_; }

    // After a change of the list, its file name or its modified flag.
    void DocumentChanged();
    // Writes the copy now when the message is modified.
    void WriteNow();
    // The user let the unsaved changes go: the copy goes too.
    void Discard();
    // Offers the copies of editors that no longer run, newest first: "Unsaved changes to
    // <file> from <time> were found." Recover (the message opens as it was, modified, under its
    // file name), Discard, or Later (kept for the next start). After one is recovered the
    // others wait for the next start.
    void OfferCopies();

private:
    TForm1& form_;
    TRecoveryStore store_;
    QTimer timer_;
    // Since the first change that the copy does not hold yet.
    QElapsedTimer pendingSince_;
    bool hasCopy_ = false;
    bool failureTold_ = false;
};

// Offers the recovery copies once the event loop runs, after the file of the command line.
void offerRecoveryAtStart(TForm1& form);
