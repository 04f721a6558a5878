#pragma once

#include "sign/stream_decoder.h"

#include <random>
#include <string>
#include <vector>

// A random marked-up block text: characters (spaces, a stray "^", letters, commas, bytes above
// 0x7F) mixed with the four codes. Control bytes of the stream stay out of it: the sign reads
// those as control bytes whatever the sender meant.
std::string randomBlockText(std::mt19937& rng);

// A random block line: "Centered," or "NotCentered," and a random text.
std::string randomBlockLine(std::mt19937& rng);

// Decodes `stream` fed in pieces of random sizes, as reads split it, and ends the send.
std::vector<TStreamEvent> decodeInRandomPieces(const std::string& stream, std::mt19937& rng);
