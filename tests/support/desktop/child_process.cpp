#include "support/desktop/child_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// The full path of `program`: itself when it holds a slash, else the first match in PATH.
std::string resolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos)
        return ::access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    // Programs of the administrator's folders are looked for too (a user's PATH may lack them).
    dirs += ":/usr/local/sbin:/usr/sbin:/sbin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (std::string& s : strings)
        result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

// Forks and runs `program`; everything the child needs is prepared here, so that between fork
// and exec it only makes system calls.
pid_t spawn(const std::string& program, std::vector<std::string> argv, std::vector<std::string> env,
            int stdoutFd, int stderrFd, int keepFd) {
    std::vector<char*> args = pointers(argv);
    std::vector<char*> vars = pointers(env);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    ::setpgid(0, 0);
    // Dies with the test, even when the test crashes and no destructor runs.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(127);
    const int devNull = ::open("/dev/null", O_RDONLY);
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(stdoutFd, STDOUT_FILENO);
    ::dup2(stderrFd, STDERR_FILENO);
    if (keepFd >= 0)
        ::fcntl(keepFd, F_SETFD, 0);
    ::execve(program.c_str(), args.data(), vars.data());
    ::_exit(127);
}

} // namespace

ChildEnvironment::ChildEnvironment() {
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::size_t eq = entry.find('=');
        if (eq != std::string::npos)
            vars_[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
}

std::vector<std::string> ChildEnvironment::entries() const {
    std::vector<std::string> result;
    for (const auto& [name, value] : vars_)
        result.push_back(name + "=" + value);
    return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const ChildEnvironment& env,
                           const std::string& logPath, int keepFd) {
    const std::string program = resolveProgram(argv.at(0));
    if (program.empty())
        throw std::runtime_error(argv.at(0) + " was not found");
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0)
        throw std::runtime_error("cannot write " + logPath);
    pid_ = spawn(program, argv, env.entries(), log, log, keepFd);
    ::close(log);
    if (pid_ < 0)
        throw std::runtime_error("cannot start " + argv.at(0));
    // The group exists from the start, whichever of parent and child runs first.
    ::setpgid(pid_, pid_);
}

ChildProcess::~ChildProcess() {
    stop(SIGTERM, std::chrono::seconds(3));
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    waitUntil([this] { return !running(); }, timeout);
    return status_;
}

bool ChildProcess::running() {
    if (status_ || pid_ <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno == ECHILD)) {
        status_ = done == pid_ ? status : -1;
        return false;
    }
    return true;
}

void ChildProcess::stop(int signal, std::chrono::milliseconds grace) {
    if (pid_ <= 0)
        return;
    if (running()) {
        ::kill(-pid_, signal);
        if (!waitForExit(grace))
            ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    } else {
        // Whatever the program left running in its group goes with it.
        ::kill(-pid_, SIGKILL);
    }
    pid_ = -1;
}

ToolResult runTool(const std::vector<std::string>& argv, const ChildEnvironment& env,
                   std::chrono::milliseconds timeout) {
    ToolResult result;
    const std::string program = resolveProgram(argv.at(0));
    int out[2];
    if (program.empty() || ::pipe2(out, O_CLOEXEC) != 0)
        return result;
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = spawn(program, argv, env.entries(), out[1], devNull, -1);
    ::close(out[1]);
    ::close(devNull);
    if (pid < 0) {
        ::close(out[0]);
        return result;
    }
    ::setpgid(pid, pid);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    bool ended = false;
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char buffer[4096];
            const ssize_t n = ::read(out[0], buffer, sizeof buffer);
            if (n > 0) {
                result.out.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            ended = true;
            break;
        }
    }
    ::close(out[0]);
    int status = 0;
    if (!ended)
        ::kill(-pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    if (ended && WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    return result;
}

bool programExists(const std::string& program) {
    return !resolveProgram(program).empty();
}

void pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}
