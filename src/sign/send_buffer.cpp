#include "sign/send_buffer.h"

#include "sign/sign_protocol.h"

#include <algorithm>

TSendBuffer::TSendBuffer() {
    bytes_.reserve(kSendBufferReserve);
}

void TSendBuffer::AppendByte(unsigned char b) {
    if (b != 0)
        bytes_.push_back(static_cast<char>(b));
}

void TSendBuffer::AppendString(std::string_view s) {
    if (s.find('\0') == std::string_view::npos) {
        bytes_.append(s);
        return;
    }
    for (char c : s)
        AppendByte(static_cast<unsigned char>(c));
}

void TSendBuffer::AppendSpaces(std::size_t count) {
    bytes_.append(count, ' ');
}

void TSendBuffer::EncodeText(std::string_view plain, const TColourArray& colours,
                             const TFlashArray& flash) {
    if (plain.empty())
        return;
    // Written straight into the buffer: the same bytes as building the encoded text apart and
    // appending it, without a copy per record.
    const std::size_t n = std::min(plain.size(), kMaxBlockText);
    bytes_.reserve(bytes_.size() + 3 * n + 2);
    bytes_.push_back(static_cast<char>(kSignRed));
    TSignColour colour = TSignColour::Red;
    TFlash flashing = TFlash::Steady;
    for (std::size_t k = 0; k < n; ++k) {
        if (flash[k] != flashing) {
            flashing = flash[k];
            bytes_.push_back(static_cast<char>(kSignFlash));
        }
        if (colours[k] != colour) {
            colour = colours[k];
            bytes_.push_back(static_cast<char>(signColourByte(colour)));
        }
        AppendByte(static_cast<unsigned char>(plain[k]));
    }
    if (flashing != TFlash::Steady)
        bytes_.push_back(static_cast<char>(kSignFlash));
}
