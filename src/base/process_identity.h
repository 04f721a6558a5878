#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A running program, told apart from every other one since the machine started: its process
// number, which the system hands out again once the program has ended, together with the moment
// it started (in the system's clock ticks since boot) and the boot it runs in.
struct TProcessIdentity {
    long pid = 0;
    std::uint64_t startTicks = 0;
    std::string bootId;

    bool operator==(const TProcessIdentity&) const = default;
};

// This program.
TProcessIdentity currentProcess();

// Whether the program of `identity` still runs: the same boot, a live process under its number
// (an ended one that its parent has not yet collected counts as ended) and the same start.
bool processIsRunning(const TProcessIdentity& identity);

// When the live process `pid` started, in seconds since the epoch; none when no process of
// that number runs.
std::optional<std::int64_t> processStartTime(long pid);
