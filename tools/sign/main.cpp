// lumavane-sign: a virtual sign. It receives the sign data stream as a sign would, over a TCP
// port, a pseudo-terminal or a serial device, and shows what the sign would show.

#include "sign_inputs.h"
#include "sign_listing.h"
#include "sign_window.h"

#include "base/whole_number.h"
#include "sign/stream_decoder.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace {

const char* kUsage =
    "Usage: lumavane-sign INPUT [--baud N] [--width N] [--text] [--dump] [--window]\n"
    "A virtual sign: receives the sign data stream and shows it.\n"
    "\n"
    "INPUT, one of:\n"
    "  --tcp [ADDR:]PORT  listen on a TCP port (ADDR 127.0.0.1 when left out; port 0 takes\n"
    "                     a free one); each connection is one send\n"
    "  --pty              create a pseudo-terminal and print its path: map a serial port to\n"
    "                     it in the settings file, [Ports] COM1=<path>\n"
    "  --serial DEVICE    read a serial device (raw, 8N1)\n"
    "\n"
    "  --baud N    line speed in bits per second: sets the serial device (default 1200); with\n"
    "              --tcp or --pty, reads no faster than such a line would carry the bytes\n"
    "  --width N   characters on a sign line, 1 to 999 (default 20)\n"
    "  --text      print each received line in ANSI colours instead of opening a window\n"
    "  --dump      print one annotated line per record and every malformed byte run\n"
    "  --window    open the window as well as --text or --dump\n";

struct Options {
    enum class Input { None, Tcp, Pty, Serial } input = Input::None;
    std::string tcp;
    std::string device;
    int baud = 0;
    int width = 20;
    bool text = false;
    bool dump = false;
    bool window = false;
};

class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

int wholeNumber(const std::string& option, const std::string& value, int low, int high) {
    const std::optional<long long> n = parseWholeNumber(value, TNumberForm::Signed);
    if (!n || *n < low || *n > high)
        throw EUsage(option + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + value + "\"");
    return static_cast<int>(*n);
}

Options parseOptions(int argc, char** argv) {
    Options o;
    auto setInput = [&o](Options::Input input) {
        if (o.input != Options::Input::None)
            throw EUsage("Give one input: --tcp, --pty or --serial");
        o.input = input;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw EUsage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--tcp") {
            setInput(Options::Input::Tcp);
            o.tcp = value();
        } else if (arg == "--pty") {
            setInput(Options::Input::Pty);
        } else if (arg == "--serial") {
            setInput(Options::Input::Serial);
            o.device = value();
        } else if (arg == "--baud") {
            o.baud = wholeNumber(arg, value(), 50, 4000000);
        } else if (arg == "--width") {
            o.width = wholeNumber(arg, value(), 1, 999);
        } else if (arg == "--text") {
            o.text = true;
        } else if (arg == "--dump") {
            o.dump = true;
        } else if (arg == "--window") {
            o.window = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            throw EUsage("Unknown argument \"" + arg + "\"");
        }
    }
    if (o.input == Options::Input::None)
        throw EUsage("Give one input: --tcp, --pty or --serial");
    if (!o.text && !o.dump)
        o.window = true;
    return o;
}

// Prints a line at once, so that a reader of the pipe sees it as it happens.
void say(const std::string& line) {
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Decodes what the input reads and hands it to the terminal listings and the window.
class SignSink : public TSignSink {
public:
    SignSink(const Options& options, TSignWindow* window)
        : options_(options)
        , window_(window) {}

    void sendStarted(const std::string& peer) override {
        bytes_ = records_ = errors_ = 0;
        if (options_.dump)
            say("-- send from " + peer);
        post([peer](TSignWindow* w) { w->sendStarted(QString::fromStdString(peer)); });
    }

    void bytesArrived(std::string_view bytes) override {
        bytes_ += bytes.size();
        decoder_.feed(bytes);
        deliver();
    }

    void sendEnded() override {
        decoder_.finish();
        deliver();
        if (options_.dump)
            say("-- end of send: " + std::to_string(bytes_) + " bytes, " +
                std::to_string(records_) + " records, " + std::to_string(errors_) + " malformed");
        post([](TSignWindow* w) { w->sendEnded(); });
    }

private:
    void deliver() {
        for (TStreamEvent& event : decoder_.takeEvents()) {
            if (auto* record = std::get_if<TSignRecord>(&event)) {
                ++records_;
                if (options_.dump)
                    say(dumpRecord(*record, options_.width));
                if (options_.text)
                    say(ansiLine(*record, options_.width));
                post([r = *record](TSignWindow* w) { w->showRecord(r); });
            } else {
                const auto& error = std::get<TStreamError>(event);
                ++errors_;
                if (options_.dump)
                    say(dumpError(error));
                else
                    std::cerr << "lumavane-sign: " << dumpError(error) << std::endl;
                post([error](TSignWindow* w) { w->showError(error); });
            }
        }
    }

    template <typename F>
    void post(F f) {
        if (!window_)
            return;
        QPointer<TSignWindow> window = window_;
        QMetaObject::invokeMethod(
            window_,
            [window, f]() {
                if (window)
                    f(window.data());
            },
            Qt::QueuedConnection);
    }

    const Options& options_;
    TSignWindow* window_;
    TStreamDecoder decoder_;
    std::size_t bytes_ = 0;
    std::size_t records_ = 0;
    std::size_t errors_ = 0;
};

TSignInput* runningInput = nullptr;

extern "C" void stopOnSignal(int) {
    if (runningInput)
        runningInput->stop();
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::unique_ptr<TSignInput> input;
    try {
        options = parseOptions(argc, argv);
        switch (options.input) {
        case Options::Input::Tcp: {
            std::string address;
            int port = 0;
            parseListenAddress(options.tcp, address, port);
            input = makeTcpInput(address, port);
            input->setPacing(options.baud);
            break;
        }
        case Options::Input::Pty:
            input = makePtyInput();
            input->setPacing(options.baud);
            break;
        case Options::Input::Serial:
            // The line itself sets the pace.
            input = makeSerialInput(options.device, options.baud > 0 ? options.baud : 1200);
            break;
        case Options::Input::None:
            break;
        }
        input->open();
    } catch (const EUsage& e) {
        std::cerr << "lumavane-sign: " << e.what() << "\n\n" << kUsage;
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "lumavane-sign: " << e.what() << std::endl;
        return 1;
    }

    switch (options.input) {
    case Options::Input::Tcp:
        say("lumavane-sign: listening on " + input->where());
        break;
    case Options::Input::Pty:
        say("lumavane-sign: pseudo-terminal " + input->where());
        break;
    default:
        say("lumavane-sign: reading " + input->where());
        break;
    }

    if (!options.window) {
        runningInput = input.get();
        std::signal(SIGINT, stopOnSignal);
        std::signal(SIGTERM, stopOnSignal);
        SignSink sink(options, nullptr);
        input->run(sink);
        return 0;
    }

    QApplication app(argc, argv);
    TSignWindow window(options.width, QString::fromStdString(input->where()));
    window.show();
    SignSink sink(options, &window);
    std::thread reader([&input, &sink] { input->run(sink); });
    const int rc = app.exec();
    input->stop();
    reader.join();
    return rc;
}
