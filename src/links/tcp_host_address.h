#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The forms of a host text that the network link understands without asking a name resolver.
// Addresses are IPv4 in host byte order.

// The address that a host text stands for by itself: "LOCALHOST" in any letter case stands for
// 127.0.0.1; four decimal numbers a.b.c.d (each up to 255); three numbers a.b.c with c up to
// 65535 as the two low bytes; two numbers a.b with b up to 16777215 as the three low bytes; one
// number up to 4294967295 for all four bytes. Anything else, the empty text included, needs a
// look-up and gives no value.
std::optional<std::uint32_t> literalHostAddress(std::string_view host);

// True for a name that can never name a host and must not be looked up: the empty text and
// names under the reserved top-level domain "invalid" (for instance "sign.invalid").
bool isNeverAHostName(std::string_view host);

// The dotted form "a.b.c.d" of an address.
std::string dottedAddress(std::uint32_t address);
