#pragma once

#include <QString>

#include <string>

// The UI edge of the system's 8-bit character set: block text, lines and settings are bytes;
// widgets show QString. Both directions go through the one bijective table.

QString toQString(const std::string& bytes);

// The bytes of `text`; false (and `out` untouched) when a character has no byte.
bool toBytes(const QString& text, std::string& out);

// The bytes of `text` with every character that has no byte left out.
std::string toBytesLossy(const QString& text);

// A file path for display: paths are in the file system's encoding, not the character set.
QString pathToQString(const std::string& path);
std::string pathFromQString(const QString& path);
