#pragma once

#include "model/block.h"

#include <cstddef>
#include <string>
#include <string_view>

// Room that a send buffer keeps ready, enough for every ordinary message. The buffer grows
// beyond it when a message needs more, so a long message is always sent whole.
constexpr std::size_t kSendBufferReserve = 40000;

// The bytes of the sign data stream for one send. The content is always followed by a zero
// byte and never holds one itself, so its length is also the position of its first zero byte.
class TSendBuffer {
public:
    TSendBuffer();

    // Empties the buffer; the reserved room stays.
    void Clear() { bytes_.clear(); }

    // Appends one byte. A zero byte is not stored: the stream never carries one.
    void AppendByte(unsigned char b);
    // Appends every byte of `s` in order, zero bytes left out.
    void AppendString(std::string_view s);
    // Appends `count` spaces (the centring pads).
    void AppendSpaces(std::size_t count);
    // Appends the encoded text of an expanded block: an opening red byte, each character
    // preceded by a flash toggle and a colour byte where its state differs from the one in
    // force, and a closing flash toggle when the text ends flashing. Nothing for empty `plain`.
    void EncodeText(std::string_view plain, const TColourArray& colours, const TFlashArray& flash);

    // The stream, zero-terminated.
    const char* data() const { return bytes_.c_str(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::string_view bytes() const { return bytes_; }

private:
    std::string bytes_;
};
