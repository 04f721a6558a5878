// The send command as the user runs it: F9, OK in Select Address, until the Sending Data window
// is hidden again.
// - SendOverLoopbackTcp: a 40,000-byte message to a reader on 127.0.0.1.
// - SendThroughPtyAt19200: a 40,000-byte message through a pseudo-terminal whose reader takes
//   the bytes no faster than a 19200-baud line would; reported against that line time. The
//   pseudo-terminal holds part of the message unread, so the command ends before the line would;
//   the counters tell how much was still in it. One fixed iteration (about twenty seconds).
// Runs off screen in a private directory of its own (settings, store, logs), as the tests do.

#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "bench_support.h"
#include "editor/message_list_model.h"
#include "sign/ui/ask_send.h"
#include "sign/ui/send_data.h"
#include "support/core/loopback_peer.h"
#include "support/core/test_env.h"
#include "support/core/test_pty.h"

#include <QPushButton>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

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

void SendOverLoopbackTcp(benchmark::State& state) {
    const LoopbackPeer reader(LoopbackPeer::Behaviour::ReadAll, {.keepBytes = false});

    TAppWindows windows;
    windows.Form1->show();
    QCoreApplication::processEvents();
    windows.Form1->Comm().Port = 5;
    windows.Form1->Comm().IP = "127.0.0.1";
    windows.Form1->TCP1.Port = reader.port();
    windows.Form1->Lines().SetLines(messageOf(200));

    for (auto _ : state)
        state.SetIterationTime(timeOneSend(windows));
    state.counters["bytes"] = static_cast<double>(windows.Form1->SendBuffer().size());
    windows.Form1->hide();
}
BENCHMARK(SendOverLoopbackTcp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

void SendThroughPtyAt19200(benchmark::State& state) {
    constexpr int baud = 19200;
    constexpr std::size_t total = 40000;
    // Takes the bytes no faster than the line would carry them: ten bits per byte.
    PtyReader line({.bytesPerSecond = baud / 10});

    TAppWindows windows;
    windows.Form1->show();
    QCoreApplication::processEvents();
    windows.Form1->Comm().Port = 1;
    windows.Form1->Comm().Baud = baud;
    const std::string device = line.path();
    windows.Form1->ComPort1.DeviceResolver = [device](unsigned) { return device; };
    windows.Form1->Lines().SetLines(messageOf(static_cast<int>(total / 200)));

    double seconds = 0;
    std::size_t readWhenDone = 0;
    for (auto _ : state) {
        seconds = timeOneSend(windows);
        readWhenDone = line.receivedSize();
        state.SetIterationTime(seconds);
    }
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (line.receivedSize() < total && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double lineTime = total * 10.0 / baud;
    state.counters["bytes_received"] = static_cast<double>(line.receivedSize());
    state.counters["line_time_s"] = lineTime;
    state.counters["unread_when_done"] = static_cast<double>(total - readWhenDone);
    state.counters["send_over_line_time"] = seconds / lineTime;
    windows.Form1->hide();
}
BENCHMARK(SendThroughPtyAt19200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    setUpPrivateEnvironment();
    writeFileBytes(std::getenv("LUMAVANE_INI"),
                   "[Comm]\r\nPort=5\r\nBaud=19200\r\nIP=127.0.0.1\r\n");
    return runWindowBenchmarks<TApplication>(argc, argv);
}
