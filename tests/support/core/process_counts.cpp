#include "support/core/process_counts.h"

#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

int countDirEntries(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count;
}

int openFdCount() {
    const int count = countDirEntries("/proc/self/fd");
    return count < 0 ? count : count - 1; // the directory's own descriptor
}

int threadCount() {
    return countDirEntries("/proc/self/task");
}

std::string threadNames() {
    std::string names;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream comm(task.path() / "comm");
        names += std::string(std::istreambuf_iterator<char>(comm), {});
    }
    return names;
}

int ownThreadCount() {
    std::istringstream names(threadNames());
    int count = 0;
    for (std::string name; std::getline(names, name);)
        count += name != "Thread (pooled)";
    return count;
}

long long threadWakeups() {
    std::ifstream status("/proc/thread-self/status");
    std::string word;
    while (status >> word) {
        if (word == "voluntary_ctxt_switches:") {
            long long count = -1;
            status >> count;
            return count;
        }
    }
    return -1;
}
