#include "editor/live_field_feed.h"

#include "sign/live_fields.h"

#include <QFile>
#include <QFileInfo>

#include <chrono>

TLiveFieldFeed::TLiveFieldFeed(QObject* parent)
    : QObject(parent) {
    next_.setSingleShot(true);
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &TLiveFieldFeed::Changed);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &TLiveFieldFeed::Changed);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &TLiveFieldFeed::Changed);
}

void TLiveFieldFeed::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        next_.stop();
        const QStringList watched = watcher_.files() + watcher_.directories();
        if (!watched.isEmpty())
            watcher_.removePaths(watched);
    }
}

std::vector<std::string> TLiveFieldFeed::Lines(const std::vector<std::string>& lines,
                                               const std::string& folder) {
    if (!enabled_)
        return lines;
    const TFieldValues values = expandLiveFields(lines, momentNow(), folder, TFieldErrors::Leave);
    if (values.nextChange) {
        const auto now = std::chrono::system_clock::now();
        const auto at =
            std::chrono::system_clock::time_point(std::chrono::seconds(*values.nextChange));
        next_.start(std::chrono::duration_cast<std::chrono::milliseconds>(at - now) +
                    std::chrono::milliseconds(1));
    } else {
        next_.stop();
    }
    // A file is watched itself (written in place) and through its folder (replaced by a rename).
    QStringList wanted;
    for (const std::string& file : values.files) {
        const QFileInfo info(QFile::decodeName(file.c_str()));
        wanted << info.absolutePath();
        if (info.exists())
            wanted << info.absoluteFilePath();
    }
    wanted.removeDuplicates();
    const QStringList watched = watcher_.files() + watcher_.directories();
    QStringList gone;
    for (const QString& path : watched) {
        if (!wanted.contains(path))
            gone << path;
    }
    if (!gone.isEmpty())
        watcher_.removePaths(gone);
    QStringList added;
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            added << path;
    }
    if (!added.isEmpty())
        watcher_.addPaths(added);
    return values.lines;
}
