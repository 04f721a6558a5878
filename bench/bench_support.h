#pragma once

#include <cstdlib>
#include <string>
#include <vector>

// The largest plausible message: 1000 blocks of the longest text, a colour or flash change every
// few characters, every other block centred.
std::vector<std::string> largestMessage();

// Runs the benchmarks that the command line names; the exit status.
int runBenchmarks(int& argc, char** argv);

// The same with an application of type `App` (QApplication, TApplication) for the windows they
// draw, off screen unless QT_QPA_PLATFORM chooses another platform.
template <typename App>
int runWindowBenchmarks(int& argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    App app(argc, argv);
    return runBenchmarks(argc, argv);
}
