#include "support/core/random_message.h"

#include <algorithm>
#include <string_view>
#include <vector>

std::string randomBlockText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "^R^", "^G^",  "^Y^",  "^F^",  "^F^", " ",   " ", "  ", "^", "A",    "b",   "7",
        ",",   "\xC4", "\xE9", "\x80", "^^",  "^g^", "x", "Q",  "!", "\x7F", "\x01"};
    std::uniform_int_distribution<int> count(0, 30);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string text;
    for (int n = count(rng); n > 0; --n)
        text += pieces[pick(rng)];
    return text;
}

std::string randomBlockLine(std::mt19937& rng) {
    std::bernoulli_distribution centred(0.5);
    return (centred(rng) ? "Centered," : "NotCentered,") + randomBlockText(rng);
}

std::vector<TStreamEvent> decodeInRandomPieces(const std::string& stream, std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> size(1, 64);
    TStreamDecoder decoder;
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min(size(rng), stream.size() - at);
        decoder.feed(std::string_view(stream).substr(at, n));
        at += n;
    }
    decoder.finish();
    return decoder.takeEvents();
}
