// Shared by the real-window tests: a virtual X server, child processes that are always ended, and the
// output of X tools such as xdotool and xwininfo.
#pragma once

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

inline bool toolAvailable(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string commandOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    pclose(pipe);
    return output;
}

// Holds a key on the display long enough for the game's 80 ms frame clock to see it, then lets it go.
inline void holdKey(const std::string& display, const std::string& key, double seconds = 0.3) {
    commandOutput("DISPLAY=" + display + " xdotool keydown " + key + " sleep " + std::to_string(seconds) + " keyup " +
                  key + " sleep 0.15 2>/dev/null");
}

// A child process that is ended and reaped when the test ends, however it ends.
struct Child {
    pid_t pid = -1;
    int status = 0;
    bool reaped = false;
    ~Child() {
        if (pid <= 0 || reaped) return;
        kill(pid, SIGTERM);
        if (waitForExit(std::chrono::seconds(2))) return;
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    // Waits up to the given time for the child to end.
    bool waitForExit(std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                reaped = true;
                return true;
            }
            if (std::chrono::steady_clock::now() >= end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
};

// Starts Xvfb with one screen of the given size on a free display and returns its number, or -1.
inline int startXvfb(Child& server, const std::string& screen = "1280x1024x24") {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    server.pid = fork();
    if (server.pid == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    while (poll(&wait, 1, 5000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    return number.empty() ? -1 : std::atoi(number.c_str());
}

// Starts a small window manager on the display, as a desktop has one: without it, fullscreen windows keep their
// size. Returns false when openbox is missing or does not come up.
inline bool startWindowManager(Child& manager, const std::string& displayName) {
    if (!toolAvailable("openbox")) return false;
    manager.pid = fork();
    if (manager.pid == 0) {
        setenv("DISPLAY", displayName.c_str(), 1);
        execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
        _exit(127);
    }
    // Ready once it has claimed the screen's window-manager selection.
    for (int i = 0; i < 100; ++i) {
        if (commandOutput("DISPLAY=" + displayName + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null")
                .find("window id") != std::string::npos)
            return true;
        if (manager.waitForExit(std::chrono::milliseconds(0))) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

struct Rgb {
    int r, g, b;
};

// The game's window on the display: found by its title, given keys, and captured as RGB pixels.
class RealWindow {
public:
    explicit RealWindow(std::string display) : display_(display), onDisplay_("DISPLAY=" + display + " ") {}
    std::string window;

    bool find() {
        for (int i = 0; i < 100 && window.empty(); ++i) {
            // The game makes its window hidden and shows it once the start went through.
            window = commandOutput(onDisplay_ + "xdotool search --onlyvisible --name '^Quorvath$' 2>/dev/null");
            if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        window = window.substr(0, window.find('\n'));
        if (!window.empty()) commandOutput(onDisplay_ + "xdotool windowfocus --sync " + window + " 2>/dev/null");
        return !window.empty();
    }
    // Holds a key long enough for the game's 80 ms frame clock to see it, then lets it go.
    void hold(const std::string& key, double seconds = 0.3) { holdKey(display_, key, seconds); }
    // Runs xdotool on the display with the arguments (the mouse: "mousemove --window ID X Y mousedown 1 ...").
    void xdotool(const std::string& arguments) { commandOutput(onDisplay_ + "xdotool " + arguments + " 2>/dev/null"); }
    // The window's 900 x 600 client area as RGB bytes; false when the capture failed.
    bool capture() {
        const std::string file = "window.rgb";
        std::remove(file.c_str());
        commandOutput(onDisplay_ + "import -window " + window + " -depth 8 rgb:" + file + " 2>/dev/null");
        std::ifstream in(file, std::ios::binary);
        pixels_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return pixels_.size() == 900u * 600u * 3u;
    }
    Rgb at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * 900 + static_cast<size_t>(x)) * 3;
        return {static_cast<unsigned char>(pixels_[i]), static_cast<unsigned char>(pixels_[i + 1]),
                static_cast<unsigned char>(pixels_[i + 2])};
    }
    // The last capture's bytes, for comparing whole frames.
    const std::string& pixels() const { return pixels_; }

private:
    std::string display_;
    std::string onDisplay_;
    std::string pixels_;
};
