#pragma once

#include <QString>

#include <string>
#include <vector>

class QClipboard;

// Block lines as text for other programs: each line exactly as stored, every byte as the one
// character of the character set that it stands for, each line ended by a line feed (so that
// an empty line survives the way back).
QString blockLinesText(const std::vector<std::string>& lines);

// The block lines of a text: one per line, where CR LF, a lone CR and a lone LF each end a line
// (a line break at the very end ends the last line and adds none; an empty text gives no line).
// A line that starts with "Centered," or "NotCentered," is taken byte for byte as it stands;
// any other line becomes the whole text of a block that is not centred, so that none of its
// characters is lost to the first comma. A tab becomes one space. Throws, naming what it refuses,
// and takes nothing, when the text holds a character that the character set has no byte for, or a
// control character (below U+0020 but for the tab and the line breaks, and U+007F): the
// message names them.
std::vector<std::string> pastedBlockLines(const QString& text);

// Puts `lines` on the clipboard as text (an error when it cannot be used).
void copyBlockLines(QClipboard* clipboard, const std::vector<std::string>& lines);

// The block lines of the clipboard's text (an error when there is no clipboard or its text is
// refused).
std::vector<std::string> pasteBlockLines(QClipboard* clipboard);
