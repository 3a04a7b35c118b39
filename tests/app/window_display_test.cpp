// The built game in a real window under a virtual X server with a window manager, as a player's desktop runs
// it: the picture scaled by whole numbers when the window grows, fullscreen at its largest and back, a
// screenshot equal to the picture, mute heard through SDL's disk audio driver, and pause stopping the frame
// clock in the game's own message loop.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "app/controls.h"
#include "app/settings.h"
#include "app/startup.h"
#include "core/game_state.h"
#include "core/options_menu_state.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"
#include "x_display.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t checkerA = 0xFFE03020, checkerB = 0xFF2040E0;

// The title logo as a 16 x 16 checkerboard of single pixels, drawn at (100, 100) on the title screen: blurred
// or misplaced scaling shows at once.
uint32_t checkerAt(int32_t i, int32_t j) {
    return (i + j) % 2 == 0 ? checkerA : checkerB;
}

void writeCheckerTitle() {
    Canvas logo = createCanvas(16, 16);
    for (int32_t j = 0; j < 16; ++j) {
        for (int32_t i = 0; i < 16; ++i) fillRect(logo, i, j, 1, 1, checkerAt(i, j));
    }
    saveCanvasPng(logo, "pict/TITLE.png");
}

// A window or the whole screen as RGB bytes, captured with ImageMagick's import.
struct Capture {
    int32_t width = 0, height = 0;
    std::string bytes;
    uint32_t at(int32_t x, int32_t y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return 0xFF000000u | static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
               static_cast<unsigned char>(bytes[i + 2]);
    }
};

// Waits up to `limit` for a condition, checking it every 100 ms.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(100ms);
    }
    return true;
}

class RealDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "xprop", "import", "openbox"})
            if (!toolAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
        if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
        ASSERT_TRUE(writeStartUpMedia(2000));
        writeCheckerTitle();
        const int display = startXvfb(server, "2000x1300x24");
        ASSERT_GE(display, 0);
        displayName = ":" + std::to_string(display);
        ASSERT_TRUE(startWindowManager(manager, displayName));
    }

    std::string x(const std::string& command) const {
        return commandOutput("DISPLAY=" + displayName + " " + command + " 2>/dev/null");
    }

    // The built game with its settings and pictures folders inside the test's folder.
    void startGame(const std::string& audioDriver = "dummy") {
        const std::string game = std::string(QUORVATH_BINARY_DIR) + "/quorvath";
        ASSERT_EQ(access(game.c_str(), X_OK), 0) << "the game is not built";
        const std::string here = folder.path().string();
        player.pid = fork();
        if (player.pid == 0) {
            setenv("DISPLAY", displayName.c_str(), 1);
            setenv("SDL_AUDIODRIVER", audioDriver.c_str(), 1);
            setenv("SDL_DISKAUDIOFILE", (here + "/audio.raw").c_str(), 1);
            setenv("HOME", here.c_str(), 1);
            setenv("XDG_CONFIG_HOME", (here + "/config").c_str(), 1);
            setenv("XDG_PICTURES_DIR", (here + "/pictures").c_str(), 1);
            execl(game.c_str(), "quorvath", static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(waitFor(
            [this] {
                window = x("xdotool search --onlyvisible --name '^Quorvath$'");
                window = window.substr(0, window.find('\n'));
                return !window.empty() && info().find("Map State: IsViewable") != std::string::npos;
            },
            30s))
            << "no viewable window titled Quorvath";
        x("xdotool windowactivate --sync " + window);
        // The first frames are drawn once the window is up.
        std::this_thread::sleep_for(700ms);
    }

    std::string info() const { return x("xwininfo -id " + window); }
    bool sized(int32_t width, int32_t height) const {
        const std::string text = info();
        return text.find("Width: " + std::to_string(width) + "\n") != std::string::npos &&
               text.find("Height: " + std::to_string(height) + "\n") != std::string::npos;
    }
    void key(const std::string& name) { x("xdotool key --clearmodifiers " + name); }

    Capture capture(const std::string& what, int32_t width, int32_t height) const {
        const std::string file = (folder.path() / "capture.rgb").string();
        std::filesystem::remove(file);
        x("import -window " + what + " -depth 8 rgb:" + file);
        std::ifstream in(file, std::ios::binary);
        Capture shot{width, height, std::string(std::istreambuf_iterator<char>(in), {})};
        if (shot.bytes.size() != static_cast<size_t>(width) * height * 3) shot.bytes.clear();
        return shot;
    }

    // Every pixel of the title's checkerboard, drawn at scale 2 with its top left corner at (left, top): each
    // picture pixel a 2 x 2 block of one colour.
    static ::testing::AssertionResult checkerAtScaleTwo(const Capture& shot, int32_t left, int32_t top) {
        if (shot.bytes.empty()) return ::testing::AssertionFailure() << "no capture";
        for (int32_t j = 0; j < 16; ++j) {
            for (int32_t i = 0; i < 16; ++i) {
                for (int32_t d = 0; d < 4; ++d) {
                    const int32_t px = left + 2 * (100 + i) + d % 2, py = top + 2 * (100 + j) + d / 2;
                    if (shot.at(px, py) != checkerAt(i, j)) {
                        return ::testing::AssertionFailure()
                               << "pixel (" << px << ", " << py << ") is " << std::hex << shot.at(px, py);
                    }
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    void endGame() {
        kill(player.pid, SIGTERM);
        ASSERT_TRUE(player.waitForExit(30s));
        EXPECT_TRUE(WIFEXITED(player.status));
    }

    TempFolder folder;
    Child server, manager, player;
    std::string displayName, window;
};

}  // namespace

TEST_F(RealDisplay, TheWindowScalesByWholeNumbersFullscreenFillsTheScreenSharplyEscOpensTheMenuAndF11ComesBack) {
    ASSERT_NO_FATAL_FAILURE(startGame());
    ASSERT_TRUE(sized(900, 600)) << info();

    // Twice the size: each picture pixel is a 2 x 2 block, the picture fills the window.
    x("xdotool windowsize " + window + " 1800 1200");
    ASSERT_TRUE(waitFor([this] { return sized(1800, 1200); })) << info();
    std::this_thread::sleep_for(300ms);
    const Capture doubled = capture(window, 1800, 1200);
    EXPECT_TRUE(checkerAtScaleTwo(doubled, 0, 0));

    // F11: the window covers the 2000 x 1300 screen, the picture at its largest (1950 x 1300, 13/6 of its size)
    // with bars of 25 at the sides; the logo's pixels stay sharp blocks of one colour with smoothed edges.
    key("F11");
    ASSERT_TRUE(waitFor([this] { return sized(2000, 1300); })) << info();
    EXPECT_NE(info().find("Absolute upper-left X:  0\n"), std::string::npos) << info();
    std::this_thread::sleep_for(300ms);
    const auto logoPixelsSharpAndSmoothed = [](const Capture& shot) {
        int32_t sharp = 0, smoothed = 0;
        for (int32_t y = 220; y < 248; ++y) {
            for (int32_t px = 245; px < 273; ++px) {
                const bool pure = shot.at(px, y) == checkerA || shot.at(px, y) == checkerB;
                (pure ? sharp : smoothed) += 1;
            }
        }
        return std::pair{sharp, smoothed};
    };
    const Capture screen = capture("root", 2000, 1300);
    const auto [sharp, smoothed] = logoPixelsSharpAndSmoothed(screen);
    EXPECT_GT(sharp, 28 * 28 / 4) << "whole-pixel blocks, not a blur";
    EXPECT_GT(smoothed, 28) << "smoothed edges, not uneven pixels";
    for (const auto& [bx, by] : {std::pair{12, 650}, {1988, 650}, {24, 10}, {1975, 1290}})
        EXPECT_EQ(screen.at(bx, by), 0xFF000000u) << "bar at " << bx << ", " << by;

    // Esc opens the menu over the whole screen, which stays (its frame at 13/6 in the picture), and closes it
    // again; F11 then leaves fullscreen for the window as it was.
    key("Escape");
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(sized(2000, 1300));
    EXPECT_EQ(capture("root", 2000, 1300).at(25 + 13 * 300 / 6, 170), 0xFFD8D8F0u) << "the menu's frame";
    key("Escape");
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(logoPixelsSharpAndSmoothed(capture("root", 2000, 1300)).first, sharp) << "the menu is gone";
    EXPECT_FALSE(player.waitForExit(0ms)) << "Esc does not end the game";
    key("F11");
    ASSERT_TRUE(waitFor([this] { return sized(1800, 1200); })) << info();

    // Smaller than the picture: the whole picture shrinks into the window (two thirds here) rather than
    // being cut, so the logo drawn at (100, 100) shows near (67, 67).
    x("xdotool windowsize " + window + " 600 400");
    ASSERT_TRUE(waitFor([this] { return sized(600, 400); })) << info();
    std::this_thread::sleep_for(300ms);
    const Capture small = capture(window, 600, 400);
    ASSERT_FALSE(small.bytes.empty());
    int logoPixels = 0;
    for (int32_t y = 60; y < 82; ++y) {
        for (int32_t px = 60; px < 82; ++px) logoPixels += small.at(px, y) == checkerA || small.at(px, y) == checkerB;
    }
    EXPECT_GT(logoPixels, 80) << "the logo at two thirds of its place";
    x("xdotool windowsize " + window + " 1800 1200");
    ASSERT_TRUE(waitFor([this] { return sized(1800, 1200); })) << info();

    // Alt+Enter goes fullscreen too; the game remembers fullscreen and the window's scale for the next start.
    key("alt+Return");
    ASSERT_TRUE(waitFor([this] { return sized(2000, 1300); })) << info();
    ASSERT_NO_FATAL_FAILURE(endGame());
    std::ostringstream warnings;
    const Settings remembered = readSettings("config/quorvath/settings.toml", warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_TRUE(remembered.display.fullscreen);
    EXPECT_EQ(remembered.display.scale, 2);
}

TEST_F(RealDisplay, F12WritesAPngEqualToThePictureShown) {
    // Notes off, so the window shows exactly the back buffer; paused, so it cannot change meanwhile.
    writeTextFile("config/quorvath/settings.toml", "[notes]\nshow = false\n");
    ASSERT_NO_FATAL_FAILURE(startGame());
    key("p");
    std::this_thread::sleep_for(300ms);
    const Capture shown = capture(window, 900, 600);
    ASSERT_FALSE(shown.bytes.empty());
    key("F12");
    std::filesystem::path file;
    ASSERT_TRUE(waitFor([&file] {
        std::error_code none;
        for (const auto& entry : std::filesystem::directory_iterator("pictures/Quorvath", none)) file = entry.path();
        return !file.empty();
    })) << "no screenshot in the pictures folder";
    EXPECT_EQ(file.filename().string().rfind("quorvath-20", 0), 0u) << file;
    std::this_thread::sleep_for(300ms);  // written whole before it is read
    const Picture shot = decodePictureFile(file.string());
    ASSERT_EQ(pictureWidth(shot), 900);
    ASSERT_EQ(pictureHeight(shot), 600);
    Canvas read = createCanvas(900, 600);
    drawPicture(read, shot, 0, 0);
    int differing = 0;
    for (int32_t y = 0; y < 600; ++y) {
        for (int32_t x = 0; x < 900; ++x) differing += canvasPixel(read, x, y) != shown.at(x, y) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(canvasPixel(read, 100, 100), checkerA) << "the title was on screen";
    ASSERT_NO_FATAL_FAILURE(endGame());
}

TEST_F(RealDisplay, MSilencesTheMusic) {
    ASSERT_NO_FATAL_FAILURE(startGame("disk"));
    // The disk driver writes what the mixer plays, at the pace of a sound card: 16-bit stereo at 44.1 kHz.
    auto size = [] {
        std::error_code none;
        const auto bytes = std::filesystem::file_size("audio.raw", none);
        return none ? std::uintmax_t{0} : bytes;
    };
    auto loudSamples = [](std::uintmax_t from, std::uintmax_t to) {
        std::ifstream in("audio.raw", std::ios::binary);
        in.seekg(static_cast<std::streamoff>(from));
        std::string bytes(static_cast<size_t>(to - from), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        int loud = 0;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto sample = static_cast<int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
            loud += sample > 100 || sample < -100 ? 1 : 0;
        }
        return loud;
    };
    constexpr std::uintmax_t second = 44100 * 4;
    ASSERT_TRUE(waitFor([&size] { return size() > second; })) << "the disk driver wrote nothing";
    const std::uintmax_t beforeMute = size();
    EXPECT_GT(loudSamples(beforeMute - second / 2, beforeMute), 1000) << "the title music plays";

    key("m");
    // What the mixer had already mixed may still come out; after that, nothing but silence.
    std::this_thread::sleep_for(400ms);
    const std::uintmax_t muted = size();
    ASSERT_TRUE(waitFor([&] { return size() > muted + second; })) << "the music stopped being written";
    EXPECT_EQ(loudSamples(muted, muted + second), 0);
    ASSERT_NO_FATAL_FAILURE(endGame());
    std::ostringstream warnings;
    EXPECT_TRUE(readSettings("config/quorvath/settings.toml", warnings).mute) << "mute is remembered";
}

// In the menu's key page a binding takes the key pressed in the real window, and the file has it at once.
TEST_F(RealDisplay, TheMenuBindsTheKeyPressedInTheWindow) {
    ASSERT_NO_FATAL_FAILURE(startGame("dummy"));
    // Down to the keys row, whatever rows stand above it.
    std::vector<const char*> presses{"Escape"};
    presses.insert(presses.end(), rowKeys, "Down");
    presses.insert(presses.end(), {"v", "v", "w"});
    for (const char* name : presses) {
        key(name);
        std::this_thread::sleep_for(100ms);
    }
    std::ostringstream warnings;
    EXPECT_TRUE(waitFor([&] {
        return readSettings("config/quorvath/settings.toml", warnings).keys[actWalkUp] == std::vector<int32_t>{0x57};
    })) << "walk_up = [\"W\"] is written";
    ASSERT_NO_FATAL_FAILURE(endGame());
}

TEST_F(RealDisplay, PStopsTheHeroAndTheFrameCounterInTheGamesOwnLoop) {
    // The game's start-up and message loop in this process, so its frame counter can be read between runs.
    setenv("DISPLAY", displayName.c_str(), 1);
    ASSERT_TRUE(startWindowSystem());
    auto game = std::make_unique<GameState>();
    ASSERT_TRUE(startUp(*game, false));
    Controls controls;
    game->scene = sceneField;
    game->heroLife = game->heroMaxLife = 100;
    game->heroLevel = 1;
    AreaRecord ground;
    ground.polygon.vertices = {{0, 0}, {3000, 0}, {3000, 3000}, {0, 3000}};
    ground.npc.absent = true;
    game->areas = {ground};
    game->areaCount = 1;
    game->currentArea = 0;
    ASSERT_TRUE(openWindow("Quorvath pause", 900, 600));
    showWindow();
    ASSERT_TRUE(waitFor([this] {
        window = x("xdotool search --name '^Quorvath pause$'");
        window = window.substr(0, window.find('\n'));
        WindowEvent ignored;
        waitWindowEvent(ignored, 10);
        return !window.empty();
    }));
    x("xdotool windowactivate --sync " + window);

    x("xdotool keydown Down");
    runMessageLoop(*game, controls, 500);
    const int32_t walkedTo = game->heroY;
    EXPECT_GT(walkedTo, 550) << "Down walks the hero";
    EXPECT_GT(game->frameCounter, 3u);

    key("p");
    runMessageLoop(*game, controls, 200);
    ASSERT_TRUE(controls.paused);
    const int32_t pausedAt = game->heroY;
    const uint32_t pausedFrame = game->frameCounter;
    runMessageLoop(*game, controls, 800);
    EXPECT_EQ(game->heroY, pausedAt) << "Down is still held, yet the hero stands";
    EXPECT_EQ(game->frameCounter, pausedFrame);

    key("p");
    runMessageLoop(*game, controls, 500);
    EXPECT_FALSE(controls.paused);
    EXPECT_GT(game->heroY, pausedAt);
    EXPECT_GT(game->frameCounter, pausedFrame);
    x("xdotool keyup Down");
    runMessageLoop(*game, controls, 200);
    EXPECT_EQ(game->keyDown[vkDown], 0);
    shutDown(*game);
    stopWindowSystem();
}
