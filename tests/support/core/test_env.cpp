#include "support/core/test_env.h"

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace {

std::string makeTempDirectory(const char* prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot create a temporary directory from " + pattern);
    return std::string(buffer.data());
}

std::string& environmentDir() {
    static std::string dir;
    return dir;
}

void removeEnvironmentDir() {
    std::error_code ignored;
    if (!environmentDir().empty())
        std::filesystem::remove_all(environmentDir(), ignored);
}

} // namespace

void hideMachinePrinters(const std::string& dir) {
    // The print system's client asks the server named here for its queues: a socket path in
    // the private directory where nothing listens, so the answer is "none", at once.
    setenv("CUPS_SERVER", (dir + "/no-print-server.sock").c_str(), 1);
    // Printers announced on the network are found through the system bus: none there either.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + dir + "/no-system-bus.sock").c_str(), 1);
    // A default printer named by the user's environment.
    unsetenv("PRINTER");
    unsetenv("LPDEST");
}

TempDir::TempDir()
    : path_(makeTempDirectory("lumavane-test-")) {}

TempDir::~TempDir() {
    std::error_code ignored;
    // Tests may take permissions away to provoke errors: give them back so that removal works.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void setUpPrivateEnvironment() {
    environmentDir() = makeTempDirectory("lumavane-env-");
    const std::string& dir = environmentDir();
    for (const char* sub : {"home", "config", "state", "data", "cache", "runtime"})
        std::filesystem::create_directories(dir + "/" + sub);
    std::filesystem::permissions(dir + "/runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("HOME", (dir + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (dir + "/state").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (dir + "/runtime").c_str(), 1);
    setenv("LUMAVANE_INI", (dir + "/config/LUMAVANE.INI").c_str(), 1);
    // The remembered dialog values, which would otherwise go beside the test binary.
    setenv("LUMAVANE_STORE", (dir + "/state/lumavane.oxp").c_str(), 1);
    hideMachinePrinters(dir);
    // The texts as they are written: whatever language the machine's user works in, the tests
    // and the programs they start see the C locale for their messages (characters stay UTF-8).
    setenv("LANG", "C", 1);
    setenv("LC_CTYPE", "C.UTF-8", 1);
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        unsetenv(variable);
    std::atexit(removeEnvironmentDir);
}

const std::string& privateEnvironmentDir() {
    return environmentDir();
}

std::string readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

FileSizeLimit::FileSizeLimit(unsigned long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot read the file size limit");
    oldCurrent_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot set the file size limit");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldCurrent_;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}
