#include "sign/send_buffer.h"
#include "sign/sign_stream.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

// The virtual sign as a child process, its standard output read line by line.
class SignProcess {
public:
    explicit SignProcess(std::vector<std::string> args) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        args.insert(args.begin(), LUMAVANE_SIGN_TOOL);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc =
            ::posix_spawn(&pid_, LUMAVANE_SIGN_TOOL, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        out_ = pipeFds[0];
        if (rc != 0)
            throw std::runtime_error("cannot start " LUMAVANE_SIGN_TOOL);
    }
    ~SignProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }

    // The next line of output, or "" when none comes within `timeoutMs`.
    std::string readLine(int timeoutMs = 10000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const std::size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
                return "";
            char chunk[4096];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0)
                return "";
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Waits for the process to end by itself; its exit status, or -1.
    int wait() {
        int status = 0;
        if (::waitpid(pid_, &status, 0) != pid_)
            return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};

void sendTo(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    // Two writes: the sign must not care where one read ends.
    const std::size_t half = bytes.size() / 2;
    ASSERT_EQ(::send(fd, bytes.data(), half, MSG_NOSIGNAL), static_cast<ssize_t>(half));
    ASSERT_EQ(::send(fd, bytes.data() + half, bytes.size() - half, MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size() - half));
    ::close(fd);
}

TEST(SignToolTest, DumpsWhatArrivesOnALoopbackPort) {
    SignProcess sign({"--tcp", "127.0.0.1:0", "--dump", "--width", "10"});
    const std::string ready = sign.readLine();
    const std::string prefix = "lumavane-sign: listening on 127.0.0.1:";
    ASSERT_EQ(ready.substr(0, prefix.size()), prefix) << ready;
    const int port = std::stoi(ready.substr(prefix.size()));
    ASSERT_GT(port, 0);

    TSendBuffer buffer;
    TBlock sendBlock;
    buildSignStream(buffer, sendBlock,
                    {"Centered,^G^HI", "NotCentered,A^Y^B^F^C", "NotCentered,LONGER THAN TEN"}, 99,
                    10);
    const std::string stream = "\r\n" + std::string(buffer.bytes()) +
                               "\x02"
                               "7";
    sendTo(port, stream);

    std::vector<std::string> lines;
    for (std::string line = sign.readLine(); !line.empty(); line = sign.readLine()) {
        lines.push_back(line);
        if (line.rfind("-- end of send", 0) == 0)
            break;
    }
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].substr(0, 23), "-- send from 127.0.0.1:");
    EXPECT_EQ(lines[1], "@0 error bytes outside a record (2 bytes): 0D 0A");
    EXPECT_EQ(lines[2], "@2 line 99 pad 4/4 {R}{G}HI text \"HI\"");
    EXPECT_EQ(lines[3], "@18 line 00 pad 0/0 {R}A{Y}B{F+}C{F-} text \"ABC\"");
    EXPECT_EQ(lines[4], "@29 line 01 pad 0/0 {R}LONGER THAN TEN text \"LONGER THAN TEN\" "
                        "overflow +5");
    EXPECT_EQ(lines[5], "@49 error record without its end (2 bytes): 02 37");
    EXPECT_EQ(lines[6], "-- end of send: " + std::to_string(stream.size()) +
                            " bytes, 3 records, 2 malformed");
}

TEST(SignToolTest, RefusesAnInputItCannotUse) {
    struct Case {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--dump"}, 2},
        {{"--tcp", "127.0.0.1:99999", "--dump"}, 1},
        {{"--tcp", "0", "--width", "0", "--dump"}, 2},
        {{"--pty", "--tcp", "0", "--dump"}, 2},
    };
    for (auto& c : cases) {
        SignProcess sign(c.args);
        EXPECT_EQ(sign.wait(), c.status) << c.args[0] << " " << c.args.size();
    }
}

} // namespace
