#include "sign/sign_stream.h"

#include "sign/sign_protocol.h"

std::string lineAddress(long long start, std::size_t index) {
    const std::string digits = std::to_string(start + static_cast<long long>(index) + 100);
    std::string address = digits.substr(1, 2);
    // Only a negative start makes the value shorter than three digits; keep the record's
    // address two bytes wide even then.
    address.insert(0, 2 - address.size(), '0');
    return address;
}

void appendSignRecord(TSendBuffer& buffer, TBlock& sendBlock, const std::string& line,
                      const std::string& address, int width) {
    TColourArray colours{};
    TFlashArray flash{};
    std::string plain;
    sendBlock.ParseLine(line);
    ExpandMarkup(sendBlock.Text, plain, colours, flash);
    buffer.AppendByte(kSignStart);
    buffer.AppendString(address);
    // Only plain characters take room on the sign. D = W - p, the left pad D / 2 truncated
    // toward zero, the right pad the rest; neither when negative.
    long long left = 0;
    long long right = 0;
    if (sendBlock.Centered) {
        const long long d = static_cast<long long>(width) - static_cast<long long>(plain.size());
        left = d / 2;
        right = d - left;
    }
    if (left > 0)
        buffer.AppendSpaces(static_cast<std::size_t>(left));
    buffer.EncodeText(plain, colours, flash);
    if (right > 0)
        buffer.AppendSpaces(static_cast<std::size_t>(right));
    buffer.AppendByte(kSignEnd);
}

void buildSignStream(TSendBuffer& buffer, TBlock& sendBlock, const std::vector<std::string>& lines,
                     int start, int width, std::vector<std::size_t>* recordStarts) {
    buffer.Clear();
    if (recordStarts) {
        recordStarts->clear();
        recordStarts->reserve(lines.size());
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (recordStarts)
            recordStarts->push_back(buffer.size());
        appendSignRecord(buffer, sendBlock, lines[i], lineAddress(start, i), width);
    }
}
