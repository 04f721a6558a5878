// The send command as the user runs it: F9, OK in Select Address, until the Sending Data window
// is hidden again.
// - SendOverLoopbackTcp: a 40,000-byte message to a reader on 127.0.0.1.
// - SendThroughPtyAt19200: a 40,000-byte message through a pseudo-terminal whose reader takes
//   the bytes no faster than a 19200-baud line would; reported against that line time. The
//   pseudo-terminal holds part of the message unread, so the command ends before the line would;
//   the counters tell how much was still in it. One fixed iteration (about twenty seconds).
// Runs off screen in a private directory of its own (settings, store, logs).

#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "editor/message_list_model.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/send_data.h"

#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string privateDir;

// `count` blocks whose records are 200 bytes each: 0x02, two address digits, the red byte,
// 195 characters, 0x03.
std::vector<std::string> messageOf(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back("NotCentered," + std::string(195, static_cast<char>('A' + i % 26)));
    return lines;
}

// Presses F9 on the main window and confirms Select Address at once. Returns the time from the
// confirmation to the end of the command, when the Sending Data window has been hidden.
double timeOneSend(TAppWindows& windows) {
    Clock::time_point confirmed;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() == windows.AskSend1.get()) {
            answer.stop();
            confirmed = Clock::now();
            windows.AskSend1->OKBtn->click();
        }
    });
    answer.start(0);
    windows.Form1->SendMessage1Click();
    const auto done = Clock::now();
    if (windows.SendData1->isVisible())
        throw std::runtime_error("the Sending Data window is still shown");
    return std::chrono::duration<double>(done - confirmed).count();
}

class Reader {
public:
    explicit Reader(int listener)
        : thread_([this, listener] {
            for (;;) {
                pollfd watch{listener, POLLIN, 0};
                if (stop_)
                    return;
                if (::poll(&watch, 1, 20) <= 0)
                    continue;
                const int peer = ::accept(listener, nullptr, nullptr);
                char buffer[65536];
                while (::read(peer, buffer, sizeof buffer) > 0) {
                }
                ::close(peer);
            }
        }) {}
    ~Reader() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

void SendOverLoopbackTcp(benchmark::State& state) {
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener, 4);
    socklen_t size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    Reader reader(listener);

    TAppWindows windows;
    windows.Form1->show();
    QCoreApplication::processEvents();
    windows.Form1->Comm().Port = 5;
    windows.Form1->Comm().IP = "127.0.0.1";
    windows.Form1->TCP1.Port = ntohs(address.sin_port);
    windows.Form1->Lines().SetLines(messageOf(200));

    for (auto _ : state)
        state.SetIterationTime(timeOneSend(windows));
    state.counters["bytes"] = static_cast<double>(windows.Form1->SendBuffer().size());
    windows.Form1->hide();
    ::close(listener);
}
BENCHMARK(SendOverLoopbackTcp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void SendThroughPtyAt19200(benchmark::State& state) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    constexpr int baud = 19200;
    constexpr std::size_t total = 40000;

    // Takes the bytes no faster than the line would carry them: ten bits per byte.
    std::atomic<std::size_t> received = 0;
    std::atomic<bool> stop = false;
    std::thread line([&] {
        const auto start = Clock::now();
        char buffer[64];
        while (!stop) {
            const double allowed =
                std::chrono::duration<double>(Clock::now() - start).count() * baud / 10.0;
            if (received + sizeof buffer > allowed) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            pollfd watch{master, POLLIN, 0};
            if (::poll(&watch, 1, 20) <= 0)
                continue;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0)
                received += static_cast<std::size_t>(n);
        }
    });

    TAppWindows windows;
    windows.Form1->show();
    QCoreApplication::processEvents();
    windows.Form1->Comm().Port = 1;
    windows.Form1->Comm().Baud = baud;
    const std::string device = name;
    windows.Form1->ComPort1.DeviceResolver = [device](unsigned) { return device; };
    windows.Form1->Lines().SetLines(messageOf(static_cast<int>(total / 200)));

    double seconds = 0;
    std::size_t readWhenDone = 0;
    for (auto _ : state) {
        seconds = timeOneSend(windows);
        readWhenDone = received;
        state.SetIterationTime(seconds);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (received < total && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    line.join();
    const double lineTime = total * 10.0 / baud;
    state.counters["bytes_received"] = static_cast<double>(received.load());
    state.counters["line_time_s"] = lineTime;
    state.counters["unread_when_done"] = static_cast<double>(total - readWhenDone);
    state.counters["send_over_line_time"] = seconds / lineTime;
    windows.Form1->hide();
    ::close(master);
    ::close(slave);
}
BENCHMARK(SendThroughPtyAt19200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    char pattern[] = "/tmp/lumavane-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    privateDir = pattern;
    for (const char* sub : {"config", "state", "home"})
        std::filesystem::create_directories(privateDir + "/" + sub);
    setenv("HOME", (privateDir + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (privateDir + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (privateDir + "/state").c_str(), 1);
    setenv("LUMAVANE_STORE", (privateDir + "/state/bench.oxp").c_str(), 1);
    const std::string ini = privateDir + "/config/LUMAVANE.INI";
    setenv("LUMAVANE_INI", ini.c_str(), 1);
    {
        std::FILE* f = std::fopen(ini.c_str(), "wb");
        std::fputs("[Comm]\r\nPort=5\r\nBaud=19200\r\nIP=127.0.0.1\r\n", f);
        std::fclose(f);
    }
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(privateDir);
    return 0;
}
