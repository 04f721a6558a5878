#include "base/process_identity.h"

#include <fstream>
#include <limits>
#include <sstream>
#include <unistd.h>

namespace {

std::string firstLineOf(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The state letter and the start (clock ticks since boot) of process `pid`, from the fields of
// /proc/<pid>/stat that follow the program name in parentheses (which may hold anything).
struct TProcStat {
    char state = '?';
    std::uint64_t startTicks = 0;
};

std::optional<TProcStat> readProcStat(long pid) {
    const std::string line = firstLineOf("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(line.substr(close + 1));
    TProcStat stat;
    fields >> stat.state;
    // Fields 4 to 21 lie between the state (3) and the start time (22).
    std::string skipped;
    for (int field = 4; field <= 21; ++field)
        fields >> skipped;
    fields >> stat.startTicks;
    if (!fields)
        return std::nullopt;
    // A zombie (Z) or a dead process (X) has ended; only its entry waits for its parent.
    if (stat.state == 'Z' || stat.state == 'X')
        return std::nullopt;
    return stat;
}

std::string bootId() {
    static const std::string id = firstLineOf("/proc/sys/kernel/random/boot_id");
    return id;
}

} // namespace

TProcessIdentity currentProcess() {
    TProcessIdentity self;
    self.pid = static_cast<long>(::getpid());
    if (const std::optional<TProcStat> stat = readProcStat(self.pid))
        self.startTicks = stat->startTicks;
    self.bootId = bootId();
    return self;
}

bool processIsRunning(const TProcessIdentity& identity) {
    if (identity.pid <= 0 || identity.bootId != bootId())
        return false;
    const std::optional<TProcStat> stat = readProcStat(identity.pid);
    return stat && stat->startTicks == identity.startTicks;
}

std::optional<std::int64_t> processStartTime(long pid) {
    if (pid <= 0)
        return std::nullopt;
    const std::optional<TProcStat> stat = readProcStat(pid);
    if (!stat)
        return std::nullopt;
    std::ifstream in("/proc/stat");
    std::string key;
    std::int64_t bootTime = 0;
    while (in >> key) {
        if (key == "btime") {
            in >> bootTime;
            break;
        }
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    const long ticks = ::sysconf(_SC_CLK_TCK);
    return bootTime + static_cast<std::int64_t>(stat->startTicks) / (ticks > 0 ? ticks : 100);
}
