#include "base/state_dir.h"

#include <cstdlib>

std::string programStateDirectory() {
    // A relative XDG_STATE_HOME is no state home at all and is passed over.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/lumavane";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/lumavane";
}
