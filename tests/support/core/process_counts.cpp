#include "support/core/process_counts.h"

#include <dirent.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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

namespace {

std::vector<std::string> dirEntries(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(path.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

} // namespace

int ownThreadCount() {
    std::istringstream names(threadNames());
    int count = 0;
    for (std::string name; std::getline(names, name);)
        count += name != "Thread (pooled)";
    return count;
}

std::string openFdList() {
    std::string list;
    std::error_code error; // a descriptor closed meanwhile shows no target
    for (const std::string& fd : dirEntries("/proc/self/fd"))
        list += fd + " -> " + std::filesystem::read_symlink("/proc/self/fd/" + fd, error).string() +
                "\n";
    return list;
}

std::string threadNames() {
    std::string names;
    for (const std::string& task : dirEntries("/proc/self/task")) {
        std::ifstream comm("/proc/self/task/" + task + "/comm");
        names += std::string(std::istreambuf_iterator<char>(comm), {});
    }
    return names;
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
