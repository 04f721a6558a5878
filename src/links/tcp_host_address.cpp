#include "links/tcp_host_address.h"

#include "base/ascii_case.h"
#include "base/whole_number.h"

#include <array>

namespace {

// One decimal number of at least one digit, no sign, no more than `limit`.
std::optional<std::uint64_t> decimalPart(std::string_view text, std::uint64_t limit) {
    const std::optional<long long> value = parseWholeNumber(text, TNumberForm::Digits);
    if (!value || static_cast<std::uint64_t>(*value) > limit)
        return std::nullopt;
    return static_cast<std::uint64_t>(*value);
}

} // namespace

std::optional<std::uint32_t> literalHostAddress(std::string_view host) {
    if (sameIgnoringAsciiCase(host, "LOCALHOST"))
        return 0x7F000001u;

    std::array<std::string_view, 4> parts;
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = host.find('.', start);
        if (count == parts.size())
            return std::nullopt;
        parts[count++] = host.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (dot == std::string_view::npos)
            break;
        start = dot + 1;
    }

    // Every part but the last is one byte; the last fills the bytes that remain.
    std::uint64_t address = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const auto byte = decimalPart(parts[i], 0xFF);
        if (!byte)
            return std::nullopt;
        address |= *byte << (8 * (3 - i));
    }
    const unsigned lastBits = 8 * static_cast<unsigned>(5 - count);
    const auto last = decimalPart(parts[count - 1], (std::uint64_t{1} << lastBits) - 1);
    if (!last)
        return std::nullopt;
    return static_cast<std::uint32_t>(address | *last);
}

bool isNeverAHostName(std::string_view host) {
    if (host.empty())
        return true;
    if (host.back() == '.')
        host.remove_suffix(1);
    constexpr std::string_view kReserved = "invalid";
    if (host.size() < kReserved.size() ||
        !sameIgnoringAsciiCase(host.substr(host.size() - kReserved.size()), kReserved))
        return false;
    return host.size() == kReserved.size() || host[host.size() - kReserved.size() - 1] == '.';
}

std::string dottedAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}
