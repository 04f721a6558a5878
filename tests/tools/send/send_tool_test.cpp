// lumavane-send as a script runs it: a child process with the settings, store and message files
// of the test, sending to pseudo-terminals and loopback listeners that behave well or badly.

#include "model/message_file.h"
#include "sign/send_address.h"
#include "sign/send_buffer.h"
#include "sign/sign_stream.h"
#include "store/value_store.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Peer = LoopbackPeer::Behaviour;

struct SendRun {
    int status = -1; // the exit status; -1 when it did not end by itself in time
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs the program to its end (at most 20 seconds), its output going to files in `dir` (its
// standard output to `stdoutPath` when given); `meanwhile` is called every 10 ms with its
// process id while it runs.
SendRun runSend(const TempDir& dir, std::vector<std::string> args,
                const std::function<void(pid_t)>& meanwhile = {},
                const std::string& stdoutPath = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = stdoutPath.empty() ? dir.file("out") : stdoutPath;
    const std::string err = dir.file("err");
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    args.insert(args.begin(), LUMAVANE_SEND_TOOL);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const auto start = Clock::now();
    const int rc = ::posix_spawn(&pid, LUMAVANE_SEND_TOOL, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " LUMAVANE_SEND_TOOL);
    SendRun run;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (Clock::now() - start > std::chrono::seconds(20)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return run;
        }
        if (meanwhile)
            meanwhile(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = stdoutPath.empty() ? readFileBytes(out) : "";
    run.err = readFileBytes(err);
    return run;
}

// The settings file of the program (the test process's private one, which the child inherits).
void writeSettings(const std::string& text) {
    writeFileBytes(std::getenv("LUMAVANE_INI"), text);
}

std::vector<std::string> message(int blocks) {
    std::vector<std::string> lines = {"Centered,^R^OPEN ^G^7 DAYS", "NotCentered,A^Y^B^F^C",
                                      "Centered,", "NotCentered,\x03\xE9t\xE9 \x02"};
    for (int i = 4; i < blocks; ++i)
        lines.push_back("NotCentered,^G^" + std::string(240, static_cast<char>('A' + i % 26)));
    return lines;
}

std::string messageFile(const TempDir& dir, int blocks) {
    const std::string path = dir.file("message.lsm");
    writeMessageFile(path, message(blocks));
    return path;
}

std::string streamOf(const std::vector<std::string>& lines, int start, int width) {
    TSendBuffer buffer;
    TBlock block;
    buildSignStream(buffer, block, lines, start, width);
    return std::string(buffer.bytes());
}

// The bytes that a sign's line says were sent ("... <n> of <m> bytes ...", the bytes handed to
// the link for a pseudo-terminal, which cannot tell what its reader took).
std::size_t sentIn(const std::string& out) {
    std::smatch match;
    return std::regex_search(out, match,
                             std::regex("\t([0-9]+) of [0-9]+ bytes( handed to the link)?\t"))
               ? std::stoul(match[1])
               : std::string::npos;
}

struct StatusCase {
    const char* name;
    // The sign: "pty" (a reader that takes everything), "pty-held" (locked by another
    // program), "pty-drop" (a reader that goes after 1000 bytes), "pty-slow" (a reader that
    // takes 8000 bytes a second), "peer-" and a LoopbackPeer behaviour, or "".
    std::string sign = {};
    std::vector<std::string> args = {};
    int blocks;     // 0: no message file
    int signal = 0; // sent once the sign has taken some bytes
    int status;
    const char* says; // the start of the result column, or of the message on standard error
    const char* out = nullptr; // where standard output goes, when not to a file
};

TEST(SendToolTest, TheExitStatusTellsHowTheSendEnded) {
    const StatusCase cases[] = {
        {.name = "SentOverAPty", .sign = "pty", .blocks = 40, .status = 0, .says = "sent"},
        {.name = "SentOverTheNetwork",
         .sign = "peer-ReadAll",
         .blocks = 40,
         .status = 0,
         .says = "sent"},
        {.name = "LineOutOfRange",
         .args = {"--line", "100"},
         .blocks = 4,
         .status = 2,
         .says = "lumavane-send: --line takes a whole"},
        {.name = "HexWithoutDryRun",
         .args = {"--hex"},
         .blocks = 4,
         .status = 2,
         .says = "lumavane-send: --hex goes with --dry-run."},
        {.name = "PortOutOfRange",
         .args = {"--port", "0"},
         .blocks = 4,
         .status = 2,
         .says =
             "lumavane-send: --port takes 1 to 4 a serial port, 5 to 65535 the network; not \"0\""},
        {.name = "ResultsCannotBeWritten",
         .sign = "peer-ReadAll",
         .blocks = 4,
         .status = 1,
         .says = "lumavane-send: Cannot write the result lines to standard output: No space left",
         .out = "/dev/full"},
        {.name = "MissingFile",
         .blocks = 0,
         .status = 3,
         .says = "lumavane-send: Cannot open file "},
        {.name = "HeldPty",
         .sign = "pty-held",
         .blocks = 4,
         .status = 4,
         .says = "failed: ERROR Opening Com Port, check correct"},
        {.name = "RefusedPort",
         .sign = "peer-Refuse",
         .blocks = 4,
         .status = 4,
         .says = "failed: ERROR Connecting to IP Address."},
        {.name = "NoAnswer",
         .sign = "peer-NeverAnswer",
         .blocks = 4,
         .status = 4,
         .says = "failed: ERROR Connecting to IP Address."},
        {.name = "PtyReaderVanishes",
         .sign = "pty-drop",
         .blocks = 200,
         .status = 5,
         .says = "failed: Sending failed after "},
        {.name = "PeerResetsMidSend",
         .sign = "peer-ResetAfter",
         .blocks = 200,
         .status = 5,
         .says = "failed: Sending failed after "},
        {.name = "InterruptedOnAPty",
         .sign = "pty-slow",
         .blocks = 100,
         .signal = SIGINT,
         .status = 130,
         .says = "stopped"},
        {.name = "TerminatedOnTheNetwork",
         .sign = "peer-NeverRead",
         .blocks = 4000,
         .signal = SIGTERM,
         .status = 143,
         .says = "stopped"},
    };
    TempDir dir;
    writeSettings("[Comm]\r\nPort=5\r\nIP=192.0.2.1\r\n");
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<PtyReader> pty;
        std::unique_ptr<LoopbackPeer> peer;
        int lock = -1;
        std::vector<std::string> args = c.args;
        if (c.sign.starts_with("pty")) {
            PtyReader::Behaviour reader;
            reader.dropAfter = c.sign == "pty-drop" ? 1000 : reader.dropAfter;
            reader.bytesPerSecond = c.sign == "pty-slow" ? 8000 : 0;
            pty = std::make_unique<PtyReader>(reader);
            args.insert(args.end(), {"--device", pty->path(), "--baud", "19200"});
            lock = c.sign == "pty-held" ? ::open(pty->path().c_str(), O_RDWR | O_NOCTTY) : -1;
            ASSERT_EQ(lock >= 0 ? ::flock(lock, LOCK_EX | LOCK_NB) : 0, 0);
        } else if (c.sign.starts_with("peer-")) {
            const std::string kind = c.sign.substr(5);
            peer = std::make_unique<LoopbackPeer>(kind == "NeverRead"     ? Peer::NeverRead
                                                  : kind == "NeverAnswer" ? Peer::NeverAnswer
                                                  : kind == "ResetAfter"  ? Peer::ResetAfter
                                                  : kind == "Refuse"      ? Peer::Refuse
                                                                          : Peer::ReadAll,
                                                  2000);
            args.insert(args.end(), {"--host", "127.0.0.1:" + std::to_string(peer->port())});
        }
        args.push_back(c.blocks > 0 ? messageFile(dir, c.blocks) : dir.file("none.lsm"));

        bool signalled = false;
        const auto signal = [&](pid_t pid) {
            const bool taken = pty ? pty->read(0, 0).size() >= 2000 : peer && peer->finished() > 0;
            if (c.signal && !signalled && taken) {
                signalled = true;
                ::kill(pid, c.signal);
            }
        };
        const SendRun run = runSend(dir, args, signal, c.out ? c.out : "");
        if (lock >= 0)
            ::close(lock);

        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_LT(run.seconds, c.sign == "peer-NeverAnswer" ? 6.0 : 4.0);
        if (c.sign.empty() || c.out) {
            // A line of its own (after the warning that the message holds a control byte).
            EXPECT_NE(("\n" + run.err).find("\n" + std::string(c.says)), std::string::npos)
                << run.err;
            EXPECT_EQ(run.out, "");
            continue;
        }
        EXPECT_NE(run.out.find("\t" + std::string(c.says)), std::string::npos) << run.out;
        // What the sign got is what the line says was sent: all of it, or a beginning of it.
        const std::string stream = streamOf(message(c.blocks), 1, 20);
        const std::size_t sent = sentIn(run.out);
        ASSERT_LE(sent, stream.size()) << run.out;
        if (c.status == 0)
            EXPECT_EQ(sent, stream.size());
        else
            EXPECT_TRUE(sent < stream.size() ||
                        run.out.find("stopped before the sign confirmed every byte") !=
                            std::string::npos)
                << run.out;
        if (pty && c.sign != "pty-drop") {
            EXPECT_TRUE(pty->read(sent, 3000) == stream.substr(0, sent));
        }
        if (c.sign == "peer-ReadAll") {
            ASSERT_TRUE(peer->waitForFinished(1));
            EXPECT_TRUE(peer->received() == stream);
        }
    }
}

TEST(SendToolTest, ADeadSignLeavesTheOthersCompleteAndSignsOnOneLineTakeTurns) {
    TempDir dir;
    PtyReader pty;
    LoopbackPeer peer;
    LoopbackPeer dead(Peer::Refuse);
    const std::string device = "Device=" + pty.path() + "\r\nBaud=19200\r\n";
    writeSettings("[Comm]\r\nPort=1\r\n[Sign front]\r\n" + device +
                  "Line=5\r\nWidth=30\r\n[Sign dead]\r\nPort=5\r\nIP=127.0.0.1:" +
                  std::to_string(dead.port()) + "\r\n[Sign back]\r\nPort=5\r\nIP=127.0.0.1:" +
                  std::to_string(peer.port()) + "\r\n[Sign side]\r\n" + device + "Line=60\r\n");
    const SendRun run = runSend(dir, {"--all-signs", "--width", "12", messageFile(dir, 300)});
    EXPECT_EQ(run.status, 1) << run.out << run.err;

    // Each sign with its own start line, the width of the run; the two on the pseudo-terminal
    // one after the other (side by side the second would find the device held).
    const std::vector<std::string> lines = message(300);
    const std::string front = streamOf(lines, 5, 12);
    const std::string back = streamOf(lines, 1, 12);
    const std::string side = streamOf(lines, 60, 12);
    auto sent = [](const std::string& stream, const char* count = " bytes") {
        return std::to_string(stream.size()) + " of " + std::to_string(stream.size()) + count +
               "\tsent\n";
    };
    // A pseudo-terminal cannot tell what its reader took.
    const char* handed = " bytes handed to the link";
    const std::string serial = "\tSerial device " + pty.path() + " at 19200 baud\t";
    const std::string network = "\tIP address 127.0.0.1, port ";
    EXPECT_EQ(run.out, "front" + serial + sent(front, handed) + "dead" + network +
                           std::to_string(dead.port()) + "\t0 of " + std::to_string(back.size()) +
                           " bytes\tfailed: ERROR Connecting to IP Address. Tried IP address "
                           "127.0.0.1, port " +
                           std::to_string(dead.port()) +
                           ": Socket Error # 10061 Connection refused.\nback" + network +
                           std::to_string(peer.port()) + "\t" + sent(back) + "side" + serial +
                           sent(side, handed));
    EXPECT_TRUE(pty.read(front.size() + side.size()) == front + side);
    ASSERT_TRUE(peer.waitForFinished(1));
    EXPECT_TRUE(peer.received() == back);
}

TEST(SendToolTest, ASchedulePassSendsEachSignItsShowOnlyWhenItChanged) {
    TempDir dir;
    ::setenv("TZ", "Europe/Berlin", 1); // for the child, whose wall clock is asked
    std::remove(std::getenv("LUMAVANE_STORE"));
    LoopbackPeer hall;
    LoopbackPeer door;
    writeSettings("[Sign hall]\r\nPort=5\r\nIP=127.0.0.1:" + std::to_string(hall.port()) +
                  "\r\nWidth=16\r\n[Sign door]\r\nPort=5\r\nIP=127.0.0.1:" +
                  std::to_string(door.port()) + "\r\nLine=3\r\n");
    writeMessageFile(dir.file("day.lsm"),
                     {"Centered,^G^OPEN {date:%d.%m.%Y}", "NotCentered,{file:queue.txt|4|none}"});
    writeMessageFile(dir.file("lunch.lsm"), {"Centered,LUNCH {12-13}"});
    writeMessageFile(dir.file("night.lsm"), {"Centered,CLOSED"});
    writeFileBytes(dir.file("queue.txt"), "17\n");
    const std::string schedule = dir.file("schedule.ini");
    writeFileBytes(schedule, "[Show day]\nSigns=all\nMessage=day.lsm\nDays=Mon-Sat\n"
                             "From=07:00\nUntil=19:00\n"
                             "[Show lunch]\nSigns=door\nMessage=lunch.lsm\nFrom=12:00\n"
                             "Until=13:00\nLine=2\nWidth=10\nFields=no\n"
                             "[Otherwise]\nMessage=night.lsm\n");
    const std::vector<std::string> day = {"Centered,^G^OPEN 30.03.2026", "NotCentered,17  "};
    const std::vector<std::string> lunch = {"Centered,LUNCH {12-13}"};
    const std::vector<std::string> night = {"Centered,CLOSED"};
    const struct {
        const char* at;
        std::string hall; // the bytes that each sign gets in the pass; empty for none
        std::string door;
        const char* says; // the result of each sign in its line
    } steps[] = {
        {"2026-03-30 12:30", streamOf(day, 1, 16), streamOf(lunch, 2, 10), "sent|sent"},
        {"2026-03-30 12:59", "", "",
         "unchanged since 2026-03-30 12:30|unchanged since 2026-03-30 12:30"},
        {"2026-03-30 13:00", "", streamOf(day, 3, 20), "unchanged since 2026-03-30 12:30|sent"},
        // Sunday 29 March, the day of the clock change: no day show, lunch every day.
        {"2026-03-29 12:30", streamOf(night, 1, 16), streamOf(lunch, 2, 10), "sent|sent"},
        {"2026-03-29 19:00", "", streamOf(night, 3, 20), "unchanged since 2026-03-29 12:30|sent"},
    };
    int hallSends = 0;
    int doorSends = 0;
    auto check = [](LoopbackPeer& peer, const std::string& bytes, int& sends) {
        if (bytes.empty())
            return;
        ASSERT_TRUE(peer.waitForFinished(++sends));
        EXPECT_TRUE(peer.connections().back().received == bytes);
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.at);
        const SendRun run = runSend(dir, {"--schedule", schedule, "--at", step.at});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        std::string says;
        for (const std::string& sign : {std::string("hall\t"), std::string("door\t")}) {
            const std::size_t line = run.out.find(sign);
            ASSERT_NE(line, std::string::npos) << run.out;
            const std::size_t end = run.out.find('\n', line);
            says += (says.empty() ? "" : "|") + run.out.substr(run.out.rfind('\t', end) + 1,
                                                               end - run.out.rfind('\t', end) - 1);
        }
        EXPECT_EQ(says, step.says);
        check(hall, step.hall, hallSends);
        check(door, step.door, doorSends);
    }
    EXPECT_EQ(hall.accepted(), hallSends);
    EXPECT_EQ(door.accepted(), doorSends);

    writeFileBytes(schedule, "[Show day]\nSigns=hall,gate\nMessage=day.lsm\n");
    const SendRun bad = runSend(dir, {"--schedule", schedule});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err.rfind("lumavane-send: " + schedule +
                                ":2: [Show day] Signs=hall,gate: no sign "
                                "\"gate\"",
                            0),
              0u)
        << bad.err;

    // A sign on another computer keeps no ledger here: refused before anything is sent.
    writeSettings("[Sign hall]\r\nGateway=platform-2\r\n");
    writeFileBytes(schedule, "[Show day]\nSigns=hall\nMessage=day.lsm\n");
    const SendRun remote = runSend(dir, {"--schedule", schedule});
    EXPECT_EQ(remote.status, 2);
    EXPECT_NE(remote.err.find("the sign hall hangs on the gateway platform-2"), std::string::npos)
        << remote.err;
}

TEST(SendToolTest, AFollowerSendsWhenAFieldsFileChangesAndWhenAHoldEnds) {
    TempDir dir;
    LoopbackPeer hall;
    writeSettings("[Sign hall]\r\nPort=5\r\nIP=127.0.0.1:" + std::to_string(hall.port()) +
                  "\r\nLine=1\r\nWidth=20\r\n");
    writeMessageFile(dir.file("queue.lsm"), {"Centered,NEXT {file:queue.txt|3}"});
    writeMessageFile(dir.file("urgent.lsm"), {"Centered,^F^CLOSED"});
    writeFileBytes(dir.file("queue.txt"), "1\n");
    writeFileBytes(dir.file("schedule.ini"), "[Otherwise]\nSigns=hall\nMessage=queue.lsm\n");

    // Each step once the sign has been sent to that many times.
    const TempDir holdDir;
    SendRun hold;
    int done = 0;
    const SendRun run =
        runSend(dir, {"--schedule", dir.file("schedule.ini"), "--follow"}, [&](pid_t pid) {
            if (hall.finished() == 1 && done == 0) {
                // Saved as editors save: a new file renamed over the old one.
                writeFileBytes(dir.file("queue.new"), "2\n");
                std::rename(dir.file("queue.new").c_str(), dir.file("queue.txt").c_str());
                ++done;
            } else if (hall.finished() == 2 && done == 1) {
                hold = runSend(holdDir,
                               {"--hold", dir.file("urgent.lsm"), "--for", "2s", "--sign", "hall"});
                ++done;
            } else if (hall.finished() == 4 && done == 2) {
                ::kill(pid, SIGTERM);
                ++done;
            }
        });
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.out << run.err;
    EXPECT_EQ(hold.status, 0) << hold.out << hold.err;
    const std::vector<std::string> sent = {
        streamOf({"Centered,NEXT 1  "}, 1, 20), streamOf({"Centered,NEXT 2  "}, 1, 20),
        streamOf({"Centered,^F^CLOSED"}, 1, 20), streamOf({"Centered,NEXT 2  "}, 1, 20)};
    const std::vector<LoopbackPeer::Connection> connections = hall.connections();
    ASSERT_EQ(connections.size(), sent.size()) << run.out;
    for (std::size_t i = 0; i < sent.size(); ++i)
        EXPECT_TRUE(connections[i].received == sent[i]) << i;
    // Three sends of the follower's own, each a line.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5) << run.out;
}

TEST(SendToolTest, DryRunWritesTheStreamThatASendWrites) {
    const struct {
        const char* start; // the remembered values (nullptr: no store file)
        const char* width;
        std::vector<std::string> args;
        int expectedStart, expectedWidth;
    } cases[] = {
        {nullptr, nullptr, {}, 1, 20},
        {"7", "16", {}, 7, 16},
        {"150", "abc", {}, 99, 1},
        {"7", "16", {"--line", "0", "--width", "999"}, 0, 999},
    };
    TempDir dir;
    writeSettings("[Comm]\r\nPort=2\r\n");
    const std::string file = messageFile(dir, 30);
    const std::vector<std::string> lines = readMessageFile(file);
    const std::string store = std::getenv("LUMAVANE_STORE");
    for (const auto& c : cases) {
        std::remove(store.c_str());
        std::string stored;
        if (c.start) {
            TValueStore values;
            values.putText(kStoredStartLine, kSendAddressStoreKey, c.start);
            values.putText(kStoredLineWidth, kSendAddressStoreKey, c.width);
            values.save(store);
            stored = readFileBytes(store);
        }
        const std::string stream = streamOf(lines, c.expectedStart, c.expectedWidth);
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--dry-run", file});
        const SendRun raw = runSend(dir, args);
        EXPECT_EQ(raw.status, 0) << raw.err;
        EXPECT_EQ(raw.err, "lumavane-send: warning: Block 4 holds the control byte 0x03 at column "
                           "1: the sign reads it as the end of a record.\n");
        EXPECT_TRUE(raw.out == stream) << c.expectedStart << " " << c.expectedWidth;

        // The hex dump: a heading, then one record a line, whose bytes make the same stream.
        args.insert(args.end() - 1, "--hex");
        const SendRun hex = runSend(dir, args);
        std::istringstream dump(hex.out);
        std::string line;
        std::getline(dump, line);
        EXPECT_EQ(line, "# Comm\tCom port 2 (/dev/ttyS1) at 1200 baud\tline " +
                            std::to_string(c.expectedStart) + ", width " +
                            std::to_string(c.expectedWidth) + "\t30 records, " +
                            std::to_string(stream.size()) + " bytes");
        std::string bytes;
        std::size_t records = 0;
        while (std::getline(dump, line)) {
            ++records;
            std::istringstream hexBytes(line.substr(line.find(':') + 1));
            for (std::string b; hexBytes >> b && b.size() == 2 && std::isxdigit(b[0]);)
                bytes.push_back(static_cast<char>(std::stoi(b, nullptr, 16)));
        }
        EXPECT_EQ(records, lines.size());
        EXPECT_TRUE(bytes == stream) << hex.out;
        // The remembered values are only read.
        EXPECT_EQ(fileExists(store) ? readFileBytes(store) : "", stored);
    }
}

TEST(SendToolTest, AFileNameThatIsNotUtf8NamesThatFile) {
    TempDir dir;
    writeSettings("[Comm]\r\nPort=2\r\n");
    const std::string file = dir.file("caf\xE9.lsm");
    writeMessageFile(file, message(4));
    const SendRun run = runSend(dir, {"--dry-run", "--line", "1", "--width", "20", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == streamOf(message(4), 1, 20)) << run.out;
}

} // namespace
