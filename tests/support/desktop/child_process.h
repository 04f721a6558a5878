#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The environment of a child process: the test's own, with some variables set or removed.
class ChildEnvironment {
public:
    ChildEnvironment();
    void set(const std::string& name, const std::string& value) { vars_[name] = value; }
    void unset(const std::string& name) { vars_.erase(name); }
    std::vector<std::string> entries() const;

private:
    std::map<std::string, std::string> vars_;
};

// A program started by a test. It runs in a process group of its own and is killed with
// that group when the object goes, and also when the test process dies first.
class ChildProcess {
public:
    // Starts `argv` (looked up in PATH) with `env`; standard output and error go to `logPath`.
    // `keepFd` stays open in the child (for a program that reports through a descriptor).
    ChildProcess(const std::vector<std::string>& argv, const ChildEnvironment& env,
                 const std::string& logPath, int keepFd = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return pid_; }
    // The exit status once the program has ended within `timeout` (as waitpid reports it).
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    bool running();
    // Sends `signal` to the group, waits up to `grace` for the end, then kills the group.
    void stop(int signal, std::chrono::milliseconds grace);

private:
    int pid_ = -1;
    std::optional<int> status_;
};

struct ToolResult {
    int exitCode = -1; // -1: did not start, or did not end in time
    std::string out;
};

// Runs a command-line tool to its end (at most `timeout`) and returns its standard output.
ToolResult runTool(const std::vector<std::string>& argv, const ChildEnvironment& env,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Whether `program` is found in PATH (or is an executable path).
bool programExists(const std::string& program);

// Polls `condition` every 50 ms until it holds or `timeout` has passed; its last answer.
template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout);

void pause(std::chrono::milliseconds duration);

template <class Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        pause(std::chrono::milliseconds(50));
    }
}
