#include "support/desktop/desktop_session.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <thread>
#include <unistd.h>

#ifndef LUMAVANE_ACCESSIBILITY_TREE
#error "LUMAVANE_ACCESSIBILITY_TREE names the script that reads the accessibility tree"
#endif

#ifndef LUMAVANE_EDITOR
#error "LUMAVANE_EDITOR names the built editor"
#endif

namespace {

// `text` as a regular expression that matches only itself.
std::string literalPattern(const std::string& text) {
    std::string pattern = "^";
    for (char c : text) {
        if (std::string(".[]{}()\\*+?^$|").find(c) != std::string::npos)
            pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

DesktopSession::DesktopSession(const TempDir& dir)
    : dir_(dir) {
    const std::string home = dir.file("session");
    for (const char* sub : {"home", "config", "state", "data", "cache", "runtime"})
        std::filesystem::create_directories(home + "/" + sub);
    std::filesystem::permissions(home + "/runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    env_.set("HOME", home + "/home");
    env_.set("XDG_CONFIG_HOME", home + "/config");
    env_.set("XDG_STATE_HOME", home + "/state");
    env_.set("XDG_DATA_HOME", home + "/data");
    env_.set("XDG_CACHE_HOME", home + "/cache");
    env_.set("XDG_RUNTIME_DIR", home + "/runtime");
    env_.set("LUMAVANE_INI", settingsPath());
    env_.set("LUMAVANE_STORE", home + "/state/lumavane.oxp");
    // The session's X display and nothing of the user's desktop: not their Wayland display,
    // not their desktop bus.
    env_.set("QT_QPA_PLATFORM", "xcb");
    for (const char* name : {"WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "XAUTHORITY"})
        env_.unset(name);
    env_.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/no-session-bus.sock");
    // The machine's printers stay hidden as for every test process (see the test environment).
    // Servers of other tests start and stop beside this one, so a desktop that does not come
    // up is tried again on another display before the test gives up.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (startX() && startWindowManager())
            return;
        if (!x_)
            return; // a program is missing: trying again will not help
        wm_.reset();
        x_.reset();
    }
}

DesktopSession::~DesktopSession() {
    // The editor may be waiting for an answer: it goes at once.
    if (editor_)
        editor_->stop(SIGKILL, Ms(1000));
    editor_.reset();
    accessibilityBus_.reset();
    bus_.reset();
    wm_.reset();
    // A terminated X server removes its lock file and socket.
    x_.reset();
}

bool DesktopSession::startX() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "import", "convert"}) {
        if (!programExists(tool)) {
            error_ = std::string(tool) +
                     " is missing (bash scripts/test.sh installs the packages that bring it)";
            return false;
        }
    }
    error_.clear();
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        error_ = "pipe failed";
        return false;
    }
    // The server takes the first free display number and writes it when it takes connections.
    // Without -noreset it would reset whenever its last client leaves (each probe of this
    // harness connects and leaves), and a client connecting at that moment would be refused.
    x_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                 "1280x800x24", "-nolisten", "tcp", "-noreset"},
        env_, dir_.file("session/x.log"), ready[1]);
    ::close(ready[1]);
    std::string number;
    pollfd p{ready[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0) {
        char buffer[16];
        const ssize_t n = ::read(ready[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(ready[0]);
    number = trimmed(number);
    if (number.empty()) {
        error_ = "the X server did not start";
        return false;
    }
    display_ = ":" + number;
    env_.set("DISPLAY", display_);
    return true;
}

bool DesktopSession::startWindowManager() {
    wm_ = std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"}, env_,
                                         dir_.file("session/wm.log"));
    bool managed = false;
    waitUntil(
        [this, &managed] {
            managed = runTool({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, env_)
                          .out.find("window id") != std::string::npos;
            return managed || !wm_->running();
        },
        kWait);
    if (!managed) {
        error_ = "the window manager did not start on display " + display_;
        return false;
    }
    return settleKeyboard();
}

// The first key from the keyboard that xdotool drives makes the window manager reload its key
// bindings (the server takes on that keyboard's map), and a binding such as Alt+F4 pressed as
// that first key can go to the focused window instead. So a harmless key goes first; then a
// switch to the second desktop and back, which the window manager handles only after the
// reload, shows that the reload is done.
bool DesktopSession::settleKeyboard() {
    xdotool({"key", "shift"});
    for (const std::string desktop : {"1", "0"}) {
        // Asked again until seen: a window manager just started may not yet list the desktops
        // among what it supports, and xdotool then does not ask.
        const bool switched = waitUntil(
            [&] {
                xdotool({"set_desktop", desktop});
                return runTool({"xprop", "-root", "_NET_CURRENT_DESKTOP"}, env_)
                           .out.find("= " + desktop) != std::string::npos;
            },
            kWait);
        if (!switched) {
            error_ = "the window manager did not switch to desktop " + desktop;
            return false;
        }
    }
    return true;
}

bool DesktopSession::startAccessibility() {
    for (const char* tool :
         {"dbus-daemon", "dbus-send", "/usr/libexec/at-spi-bus-launcher", "/usr/bin/python3"}) {
        if (!programExists(tool)) {
            error_ = std::string(tool) +
                     " is missing (bash scripts/test.sh installs the packages that bring it)";
            return false;
        }
    }
    const std::string socket = dir_.file("session/bus.sock");
    env_.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket);
    bus_ = std::make_unique<ChildProcess>(std::vector<std::string>{"dbus-daemon", "--session",
                                                                   "--nofork", "--nopidfile",
                                                                   "--address=unix:path=" + socket},
                                          env_, dir_.file("session/bus.log"));
    if (!waitUntil([&] { return std::filesystem::exists(socket); }, kWait)) {
        error_ = "the desktop bus did not start";
        return false;
    }
    accessibilityBus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/libexec/at-spi-bus-launcher", "--launch-immediately"}, env_,
        dir_.file("session/at-spi.log"));
    const bool up = waitUntil(
        [&] {
            return runTool({"dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                            "/org/a11y/bus", "org.a11y.Bus.GetAddress"},
                           env_)
                       .exitCode == 0;
        },
        kWait);
    if (!up) {
        error_ = "the accessibility bus did not start";
        return false;
    }
    // Qt reports to it without waiting for a screen reader to ask.
    env_.set("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    return true;
}

std::string DesktopSession::accessibilityTree() {
    const ToolResult tree = runTool({"/usr/bin/python3", LUMAVANE_ACCESSIBILITY_TREE, "lumavane"},
                                    env_, std::chrono::seconds(20));
    return tree.exitCode == 0 ? tree.out : std::string();
}

bool DesktopSession::startEditor(const std::string& file) {
    launchEditor(file.empty() ? std::vector<std::string>{} : std::vector<std::string>{file});
    return waitForFocus("Lumavane Message Editor V1.0 -- " + (file.empty() ? "[new file]" : file),
                        std::chrono::seconds(20));
}

void DesktopSession::launchEditor(const std::vector<std::string>& args) {
    std::vector<std::string> argv{LUMAVANE_EDITOR};
    argv.insert(argv.end(), args.begin(), args.end());
    editor_ = std::make_unique<ChildProcess>(argv, env_, dir_.file("session/editor.log"));
}

ToolResult DesktopSession::xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return runTool(argv, env_);
}

void DesktopSession::key(const std::string& keys) {
    std::vector<std::string> args{"key", "--delay", "40"};
    std::istringstream in(keys);
    for (std::string k; in >> k;)
        args.push_back(k);
    xdotool(args);
}

void DesktopSession::type(const std::string& text) {
    xdotool({"type", "--delay", "25", "--", text});
}

void DesktopSession::clickInFocused(int x, int y) {
    const std::string window = trimmed(xdotool({"getwindowfocus"}).out);
    xdotool({"mousemove", "--sync", "--window", window, std::to_string(x), std::to_string(y),
             "click", "1"});
}

void DesktopSession::dragInFocused(int x1, int y1, int x2, int y2) {
    const std::string window = trimmed(xdotool({"getwindowfocus"}).out);
    xdotool({"mousemove", "--sync", "--window", window, std::to_string(x1), std::to_string(y1),
             "mousedown", "1"});
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        xdotool({"mousemove", "--sync", "--window", window,
                 std::to_string(x1 + (x2 - x1) * i / kSteps),
                 std::to_string(y1 + (y2 - y1) * i / kSteps)});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    xdotool({"mouseup", "1"});
}

std::string DesktopSession::focusedTitle() {
    const ToolResult result = xdotool({"getwindowfocus", "getwindowname"});
    return result.exitCode == 0 ? trimmed(result.out) : std::string();
}

bool DesktopSession::waitForFocus(const std::string& title, Ms timeout) {
    return waitUntil([&] { return focusedTitle() == title; }, timeout);
}

bool DesktopSession::waitForMain(const std::string& title, Ms timeout) {
    return waitForFocus("Lumavane Message Editor V1.0 -- " + title, timeout);
}

int DesktopSession::countWindows(const std::string& title) {
    const ToolResult result = xdotool({"search", "--onlyvisible", "--name", literalPattern(title)});
    int count = 0;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);)
        count += line.empty() ? 0 : 1;
    return count;
}

namespace {

// The value of `key` in the output of xwininfo ("  Width: 387"); -1 when it is missing.
int xwininfoValue(const std::string& info, const std::string& key) {
    const std::size_t at = info.find("  " + key + ": ");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + key.size() + 4);
}

} // namespace

bool DesktopSession::focusedWindowCentred() {
    const std::string window = trimmed(xdotool({"getwindowfocus"}).out);
    const std::string client = runTool({"xwininfo", "-id", window}, env_).out;
    const std::string root = runTool({"xwininfo", "-root"}, env_).out;
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const std::string extents = runTool({"xprop", "-id", window, "_NET_FRAME_EXTENTS"}, env_).out;
    int left = 0, right = 0, top = 0, bottom = 0;
    const std::size_t equals = extents.find('=');
    if (equals == std::string::npos || std::sscanf(extents.c_str() + equals + 1, "%d, %d, %d, %d",
                                                   &left, &right, &top, &bottom) != 4)
        return false;
    const int x = xwininfoValue(client, "Absolute upper-left X") - left;
    const int y = xwininfoValue(client, "Absolute upper-left Y") - top;
    const int width = xwininfoValue(client, "Width") + left + right;
    const int height = xwininfoValue(client, "Height") + top + bottom;
    const int offX = 2 * x + width - xwininfoValue(root, "Width");
    const int offY = 2 * y + height - xwininfoValue(root, "Height");
    return std::abs(offX) <= 2 && std::abs(offY) <= 2; // twice the offset of the centre
}

std::string DesktopSession::focusedColours(int x, int y, int width, int height) {
    return colours(trimmed(xdotool({"getwindowfocus"}).out), x, y, width, height);
}

std::string DesktopSession::screenColours() {
    return colours("root", 0, 0, 0, 0);
}

std::string DesktopSession::colours(const std::string& window, int x, int y, int width,
                                    int height) {
    const std::string shot = dir_.file("session/shot.png");
    if (runTool({"import", "-window", window, shot}, env_).exitCode != 0)
        return {};
    std::vector<std::string> convert{"convert", shot};
    if (width > 0 && height > 0) {
        convert.insert(convert.end(),
                       {"-crop", std::to_string(width) + "x" + std::to_string(height) + "+" +
                                     std::to_string(x) + "+" + std::to_string(y)});
    }
    convert.insert(convert.end(), {"-format", "%c", "histogram:info:-"});
    return runTool(convert, env_).out;
}

std::string DesktopSession::logs() {
    std::string text;
    if (editor_)
        text += std::string("--- editor ") + (editor_->running() ? "running" : "ended") + "\n";
    if (x_ && x_->running())
        text +=
            "--- windows on " + display_ + "\n" + runTool({"xwininfo", "-root", "-tree"}, env_).out;
    for (const char* name : {"x.log", "wm.log", "editor.log"}) {
        const std::string path = dir_.file(std::string("session/") + name);
        if (fileExists(path))
            text += std::string("--- ") + name + "\n" + readFileBytes(path);
    }
    return text;
}
