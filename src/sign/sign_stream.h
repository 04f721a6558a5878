#pragma once

#include "model/block.h"
#include "sign/send_buffer.h"

#include <cstddef>
#include <string>
#include <vector>

// The two-digit sign line address of the block at `index` (from 0) when the message starts
// at line `start`: the second and third digits of start + index + 100, so the address wraps
// from 99 to 00 and a four-digit value gives its middle digits.
std::string lineAddress(long long start, std::size_t index);

// Appends the record of one block line to `buffer`: 0x02, `address`, the centring spaces for a
// line of `width` characters when the block is centred, the encoded text, 0x03. The line is
// parsed into `sendBlock`.
void appendSignRecord(TSendBuffer& buffer, TBlock& sendBlock, const std::string& line,
                      const std::string& address, int width);

// Empties `buffer` and fills it with one record per block line, in order: 0x02, the line
// address, for a centred block the spaces that centre its plain text on a line of `width`
// characters (the odd space after the text, none when the text is as wide or wider), the
// encoded text, 0x03. Each line is parsed into `sendBlock`, which keeps the last one. With
// `recordStarts`, it receives the position in the buffer where each line's record begins.
void buildSignStream(TSendBuffer& buffer, TBlock& sendBlock, const std::vector<std::string>& lines,
                     int start, int width, std::vector<std::size_t>* recordStarts = nullptr);
