// lumavane-send --schedule FILE --follow: a pass now, then one at every moment something can
// change, and nothing in between. The clock's moments (a show's start or end, a time field's next
// value, a hold's end, a retry) wake it through a timer on the wall clock itself, which also
// fires after a suspend and when the clock is set; files wake it through their folders, since
// editors save by renaming a new file over the old one.

#include "schedule_run.h"

#include "fleet/sign_ledger.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {

// Without a moment to wait for, the timer is still set (a year ahead), so that a clock that is
// set at last ends the wait.
constexpr TMoment kFarAhead = 366LL * 86400;

// The wall clock's timer: wakes at an absolute time, and when the clock is set.
class TWallTimer {
public:
    TWallTimer()
        : fd_(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
        if (fd_ < 0)
            throw std::runtime_error(std::string("Cannot make a timer: ") + std::strerror(errno));
    }
    ~TWallTimer() { ::close(fd_); }
    int fd() const { return fd_; }

    void setFor(TMoment moment) {
        itimerspec wake = {};
        wake.it_value.tv_sec = static_cast<time_t>(moment);
        ::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &wake, nullptr);
    }
    // Takes the wake-up (an expiry, or the clock set: ECANCELED).
    void take() {
        std::uint64_t expiries = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(fd_, &expiries, sizeof expiries);
    }

private:
    int fd_;
};

// Keeps `watcher` on the folders of `files` and on those files that exist; whether it watches a
// path now that it did not before.
bool watch(QFileSystemWatcher& watcher, const std::vector<std::string>& files,
           const std::string& folder) {
    QStringList folders = {QString::fromStdString(folder)};
    QStringList present;
    for (const std::string& file : files) {
        const QFileInfo info(QFile::decodeName(file.c_str()));
        folders.append(info.absolutePath());
        if (info.exists())
            present.append(info.absoluteFilePath());
    }
    folders.removeDuplicates();
    present.removeDuplicates();
    bool added = false;
    for (const QStringList& wanted : {folders, present}) {
        QStringList missing;
        for (const QString& path : wanted) {
            if (!watcher.files().contains(path) && !watcher.directories().contains(path) &&
                QFileInfo::exists(path))
                missing.append(path);
        }
        if (!missing.isEmpty())
            added = watcher.addPaths(missing).size() < missing.size() || added;
    }
    QStringList gone;
    for (const QString& path : watcher.files() + watcher.directories()) {
        if (!folders.contains(path) && !present.contains(path))
            gone.append(path);
    }
    if (!gone.isEmpty())
        watcher.removePaths(gone);
    return added;
}

} // namespace

int followSchedule(TScheduleRunner& runner) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        tellProblem(std::string("Cannot follow the schedule: ") + std::strerror(errno));
        return kExitSomeFailed;
    }
    installStopHandlers(wake[1]);
    const std::string ledgers = ledgerFolder();
    std::error_code ignored;
    std::filesystem::create_directories(ledgers, ignored);

    TWallTimer timer;
    QSocketNotifier timerNote(timer.fd(), QSocketNotifier::Read);
    QSocketNotifier stopNote(wake[0], QSocketNotifier::Read);
    QFileSystemWatcher watcher;
    QTimer soon;
    soon.setSingleShot(true);
    // A save or a burst of ledger writes is several changes at once: one pass for them.
    soon.setInterval(30);
    bool reload = false;
    // Something other than a ledger asks for a pass.
    bool due = false;

    auto pass = [&] {
        if (stopSignalSeen() != 0)
            return;
        due = false;
        if (reload)
            runner.Reload();
        reload = false;
        // The files known before the pass are watched during it; a file that it found first (a
        // field's) was read before it was watched, so one more pass looks at it again.
        watch(watcher, runner.WatchedFiles(), ledgers);
        runner.Pass(momentNow());
        if (watch(watcher, runner.WatchedFiles(), ledgers)) {
            due = true;
            soon.start();
        }
        timer.setFor(runner.NextChange().value_or(momentNow() + kFarAhead));
    };
    auto changed = [&](const QString& path) {
        // The ledger changes with every send: a pass looks at holds and other programs' sends,
        // while the schedule and the settings are read again only when their files change.
        if (path != QString::fromStdString(ledgers))
            reload = due = true;
        soon.start();
    };
    // A ledger folder that changed only by this program's own writes needs no pass.
    auto passIfDue = [&] {
        if (due || runner.LedgersChanged())
            pass();
    };
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, changed);
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, changed);
    QObject::connect(&soon, &QTimer::timeout, passIfDue);
    QObject::connect(&timerNote, &QSocketNotifier::activated, [&] {
        timer.take();
        pass();
    });
    QObject::connect(&stopNote, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });

    tellLine(
        "following " + runner.Schedule().path + ": " +
        std::to_string(runner.Schedule().signs.size()) + " signs, " +
        std::to_string(runner.Schedule().shows.size() + (runner.Schedule().otherwise ? 1 : 0)) +
        " shows");
    pass();
    if (stopSignalSeen() == 0)
        QCoreApplication::exec();
    ::close(wake[0]);
    ::close(wake[1]);
    tellLine("stopped following " + runner.Schedule().path);
    return 128 + stopSignalSeen();
}
