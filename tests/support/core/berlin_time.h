#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <ctime>

// The wall clock's tests run in a real time zone with both clock changes: Europe/Berlin, whose
// summer time began on 29 March 2026 and ends on 25 October 2026.
inline void useBerlinTime() {
    ::setenv("TZ", "Europe/Berlin", 1);
    ::tzset();
}

// The moment of an ISO 8601 time that carries its offset ("2026-03-29T00:59:00Z").
inline std::int64_t utc(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate).toSecsSinceEpoch();
}
