#pragma once

// Helpers shared by the fuzz targets: a failed invariant aborts with a message (so that both
// libFuzzer and the seed replay report it), and a reader that cuts an input into parts.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Takes an input apart from the front: single bytes, and strings that end at a zero byte.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    unsigned char byte() {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<unsigned char>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }

    // The bytes up to the next zero byte (which is consumed), or all that is left.
    std::string field() {
        const std::size_t end = rest_.find('\0');
        std::string out(rest_.substr(0, end));
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return out;
    }

    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
