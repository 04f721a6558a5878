#pragma once

#include "support/core/test_env.h"
#include "support/desktop/child_process.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// A desktop of the test's own: an X server on a free display, a window manager (openbox) and
// the built editor, with a private home, settings, store and no printers. The test drives it
// only as a user would, with real key presses and clicks, and looks at window titles, files
// and screenshots. Everything it started goes with it, also when the test fails.
class DesktopSession {
public:
    using Ms = std::chrono::milliseconds;
    static constexpr Ms kWait = std::chrono::seconds(10);

    // Starts the X server and the window manager; `error` says why when it fails.
    explicit DesktopSession(const TempDir& dir);
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool ready() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The settings file that the editor will read.
    std::string settingsPath() const { return dir_.file("LUMAVANE.INI"); }
    // Sends the editor's print jobs to this print server instead of none.
    void usePrintServer(const std::string& server) { env_.set("CUPS_SERVER", server); }
    // A desktop bus and an accessibility bus of the session's own, for the editor started
    // afterwards to report to, as on a desktop with a screen reader; `error()` says why when
    // they do not start.
    bool startAccessibility();
    // The editor's windows as a screen reader reads them through AT-SPI: one line a node,
    // indented by depth, "role|name|description|text"; empty when the editor is not on the bus.
    std::string accessibilityTree();

    // Starts the editor, with a message file to open when one is given, and waits until its
    // main window has the keyboard (and shows that file).
    bool startEditor(const std::string& file = "");
    // Starts the editor with these arguments (without a terminal, as from a menu) and waits
    // for nothing.
    void launchEditor(const std::vector<std::string>& args);
    ChildProcess& editor() { return *editor_; }

    // Presses keys as xdotool names them, one after the other: "ctrl+o", "alt+f e".
    void key(const std::string& keys);
    // Types text key by key.
    void type(const std::string& text);
    // Clicks at (x, y) of the client area of the window with the keyboard.
    void clickInFocused(int x, int y);
    // Presses the left button at (x1, y1) of the client area of the window with the keyboard,
    // moves the mouse to (x2, y2) in small steps, as a hand would, and lets go there.
    void dragInFocused(int x1, int y1, int x2, int y2);

    // The title of the window that has the keyboard ("" when none of them has it).
    std::string focusedTitle();
    bool waitForFocus(const std::string& title, Ms timeout = kWait);
    // Waits until the main window has the keyboard and its title is `title`.
    bool waitForMain(const std::string& title, Ms timeout = kWait);
    // The visible windows with exactly this title.
    int countWindows(const std::string& title);
    // Whether the window with the keyboard, its frame included, stands in the middle of the
    // screen (to a pixel).
    bool focusedWindowCentred();
    // The colours of the focused window's pixels, as "#RRGGBB" lines with their counts; with a
    // size, of that part of its client area only.
    std::string focusedColours(int x = 0, int y = 0, int width = 0, int height = 0);
    // The colours of the screen as it shows: only what no other window covers.
    std::string screenColours();

    // What the session's programs wrote and the windows it shows, for a failure report.
    std::string logs();

private:
    // The colours of the pixels of `window` (an id or "root"), of a part of it with a size.
    std::string colours(const std::string& window, int x, int y, int width, int height);
    bool startX();
    bool startWindowManager();
    bool settleKeyboard();
    ToolResult xdotool(const std::vector<std::string>& args);

    const TempDir& dir_;
    std::string error_;
    std::string display_;
    ChildEnvironment env_;
    std::unique_ptr<ChildProcess> x_;
    std::unique_ptr<ChildProcess> wm_;
    std::unique_ptr<ChildProcess> editor_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> accessibilityBus_;
};
