#pragma once

#include <termios.h>

#include <cstdint>

// The termios speed constant of a line of `baud` bits per second, for every program of the
// system that sets up a serial device. False for a rate that has no constant.
bool termiosSpeed(std::int32_t baud, speed_t& speed);
