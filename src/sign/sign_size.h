#pragma once

// Most lines and characters per line that a sign's size may state: a line address has two
// digits, and a line is never wider than the widest that a send centres for.
constexpr int kMaxSignLines = 99;
constexpr int kMaxSignColumns = 999;

// The size of the sign as the settings state it: 0 where it is not known.
struct TSignSize {
    int lines = 0;
    int columns = 0;
};
