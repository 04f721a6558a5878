#include "support/core/unprivileged.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char* kChildMark = "LUMAVANE_TEST_UNPRIVILEGED";

void skip(const std::string& why) {
    GTEST_SKIP() << why;
}

} // namespace

bool rerunUnprivileged() {
    if (::geteuid() != 0 || std::getenv(kChildMark))
        return false;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    char self[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        skip("cannot find this test binary to run it as an unprivileged user");
        return true;
    }
    self[length] = '\0';
    // The names of tests and the path of a build hold no quote.
    const std::string command = std::string(kChildMark) +
                                "=1 setpriv --reuid=65534 --regid=65534 --clear-groups '" + self +
                                "' '--gtest_filter=" + name + "' 2>&1";
    FILE* child = ::popen(command.c_str(), "r");
    if (!child) {
        skip("cannot start a child process");
        return true;
    }
    std::string output;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, child)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(child);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 126 || code == 127) {
        skip("cannot run this test as the user nobody (setpriv from util-linux): " + output);
        return true;
    }
    const bool ran = output.find("[       OK ] " + name) != std::string::npos ||
                     output.find("[  SKIPPED ] " + name) != std::string::npos;
    EXPECT_TRUE(code == 0 && ran) << "run as the user nobody, the test gave:\n" << output;
    return true;
}
