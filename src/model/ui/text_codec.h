#pragma once

#include <QString>

#include <string>
#include <string_view>

// The UI edge of the system's 8-bit character set: block text, lines and settings are bytes;
// widgets show QString. Both directions go through the one bijective table.

QString toQString(const std::string& bytes);

// The bytes of `text`; false (and `out` untouched) when a character has no byte.
bool toBytes(const QString& text, std::string& out);

// The bytes of `text` with every character that has no byte left out.
std::string toBytesLossy(const QString& text);

// A file path as shown to the user (model/file_name_text.h): paths are bytes in the file
// system's encoding, not the character set; a name that is not UTF-8 is shown readably, but
// cannot be turned back into its bytes from what is shown.
QString pathToQString(const std::string& path);
// The bytes of a path typed by the user, or made by exactQString.
std::string pathFromQString(const QString& path);
// Bytes that may not be UTF-8 (a command line's argument, a file name) as a QString that
// pathFromQString turns back into exactly these bytes.
QString exactQString(std::string_view bytes);
