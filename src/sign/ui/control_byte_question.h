#pragma once

#include <QString>

#include <string>
#include <vector>

class QWidget;

// Before a send of `lines`: when a block holds a byte that the sign reads as framing or as a
// colour or flash byte, asks once, naming the first such block, "... Send anyway?". True to go
// on: the user said Yes, or no block holds such a byte.
bool askToSendControlBytes(QWidget* parent, const std::vector<std::string>& lines);

// The question's text; empty when no block holds a control byte.
QString controlBytesQuestion(const std::vector<std::string>& lines);
