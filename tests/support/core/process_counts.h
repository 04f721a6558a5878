#pragma once

#include <string>

// Counts of what this process holds, to show that an operation leaves nothing behind.

// The entries of a directory whose names do not start with a dot; -1 when it cannot be read.
int countDirEntries(const std::string& path);
// The open file descriptors of this process (the one that reads them not counted).
int openFdCount();
// The threads of this process.
int threadCount();
// The threads of this process other than Qt's pooled workers, which the toolkit starts for its
// own drawing and lets go after half a minute idle, whatever this program does.
int ownThreadCount();
// The names of this process's threads, a line each.
std::string threadNames();
// The times that the calling thread has slept and been woken (its voluntary context switches).
long long threadWakeups();
