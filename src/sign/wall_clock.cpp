#include "sign/wall_clock.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// The Julian day number of 1970-01-01.
constexpr std::int64_t kEpochDay = 2440588;
constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// The zone of the wall clock, read afresh so that a change of TZ is followed.
QTimeZone localZone() {
    return QTimeZone::systemTimeZone();
}

int offsetAt(const QTimeZone& zone, TMoment moment) {
    return zone.offsetFromUtc(QDateTime::fromSecsSinceEpoch(moment, Qt::UTC));
}

} // namespace

TMoment momentNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

TWallTime wallTimeAt(TMoment moment) {
    const std::int64_t wall = moment + offsetAt(localZone(), moment);
    TWallTime time;
    time.day = floorDiv(wall, kDay) + kEpochDay;
    time.second = static_cast<int>(wall - floorDiv(wall, kDay) * kDay);
    time.weekday = static_cast<int>(((time.day % 7) + 7) % 7) + 1;
    return time;
}

TMoment nextWallMoment(TMoment moment, std::int64_t wallTotal) {
    const QTimeZone zone = localZone();
    const std::int64_t wallEpoch = wallTotal - kEpochDay * kDay;
    // Where the wall clock reads it if the offset stays as it is now.
    const TMoment at = std::max(wallEpoch - offsetAt(zone, moment), moment + 1);
    const QTimeZone::OffsetData change =
        zone.nextTransition(QDateTime::fromSecsSinceEpoch(moment, Qt::UTC));
    if (change.atUtc.isValid()) {
        const TMoment changeAt = change.atUtc.toSecsSinceEpoch();
        if (changeAt > moment && changeAt < at)
            return changeAt;
    }
    return at;
}

TMoment nextWallStep(TMoment moment, int step) {
    const std::int64_t wall = wallTimeAt(moment).total();
    return nextWallMoment(moment, (floorDiv(wall, step) + 1) * step);
}

std::optional<TMoment> momentOfWallText(std::string_view text, bool* skipped) {
    if (skipped)
        *skipped = false;
    const QString written = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    const QDate date = QDate::fromString(written.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(written.mid(11), QStringLiteral("HH:mm"));
    if (text.size() != 16 || text[10] != ' ' || !date.isValid() || !time.isValid())
        return std::nullopt;
    const QDateTime parsed(date, time, Qt::UTC);
    // The moments whose wall clock reads it: one, none in a skipped hour, two in a repeated one.
    const QTimeZone zone = localZone();
    const TMoment wall = parsed.toSecsSinceEpoch();
    std::vector<TMoment> found;
    for (const TMoment near : {wall - kDay, wall, wall + kDay}) {
        const TMoment candidate = wall - offsetAt(zone, near);
        if (candidate + offsetAt(zone, candidate) == wall)
            found.push_back(candidate);
    }
    if (found.empty()) {
        if (skipped)
            *skipped = true;
        return std::nullopt;
    }
    return *std::min_element(found.begin(), found.end());
}

std::string wallText(TMoment moment, bool seconds) {
    return QDateTime::fromSecsSinceEpoch(moment, localZone())
        .toString(seconds ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                          : QStringLiteral("yyyy-MM-dd HH:mm"))
        .toStdString();
}

std::string isoText(TMoment moment) {
    return QDateTime::fromSecsSinceEpoch(moment, localZone()).toString(Qt::ISODate).toStdString();
}

std::optional<TMoment> momentOfIsoText(std::string_view text) {
    const QDateTime parsed = QDateTime::fromString(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), Qt::ISODate);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed.toSecsSinceEpoch();
}
