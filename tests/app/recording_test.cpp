// A recorded session, played through the game's own message handlers and frame ticks without a window, written
// as a runner script and replayed by quorvath-sim: the script holds what reached the rules, and every expect line
// it ends with holds in the replay, also when the session loaded a save that is gone by the time of the replay.
#include "app/recording.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include <sys/stat.h>

#include "app/command_line.h"
#include "app/controls.h"
#include "app/startup.h"
#include "author/edit_panel.h"
#include "author/test_play.h"
#include "author/test_play_world.h"
#include "core/game_state.h"
#include "core/key_codes.h"
#include "core/story_flags.h"
#include "game/frame_tick.h"
#include "platform/window.h"
#include "test_support.h"

namespace {

const char* const savedGame =
    "<?xml version=\"1.0\"?>\n<savedata>\n<flag id=\"42\" value=\"3\"/>\n"
    "<hero x=\"400\" y=\"350\" nowmap=\"0\" nowpart=\"1\" life=\"60\" maxlife=\"75\" EXP=\"3\" LEVEL=\"1\" "
    "speed=\"10\" kayaku=\"50\" money=\"4321\"/>\n</savedata>\n";

class RecordedSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testplay::writeWorld()) GTEST_SKIP() << "lame is missing: no MP3 tracks for the start-up";
        useManualClock(1000);
        game = std::make_unique<GameState>();
        ASSERT_TRUE(startUp(*game, true));
        controls.testPlay = true;
    }
    void TearDown() override {
        if (game) shutDown(*game);
    }

    void send(WindowEventKind kind, int32_t value) {
        WindowEvent event;
        event.kind = kind;
        event.value = value;
        handleInputEvent(*game, controls, event);
    }
    void down(int32_t key) { send(WindowEventKind::keyDown, key); }
    void up(int32_t key) { send(WindowEventKind::keyUp, key); }
    // Ticks as the message loop runs them, 80 ms apart; a tick at once after another is ended by the 10 ms rule.
    void tick(int32_t count, uint32_t millis = 80) {
        for (int32_t i = 0; i < count; ++i) {
            advanceManualClock(millis);
            const uint32_t previous = game->lastTickTime;
            frameTick(*game);
            recordTick(controls.recording, game->tickNow - previous < minimumTickMillis);
        }
    }

    TempFolder folder;
    BoxCatcher boxes;
    std::unique_ptr<GameState> game;
    Controls controls;
};

// Runs quorvath-sim on a script file in the working directory; its exit status, its output in out.
int replay(const std::string& script, std::string& out) {
    return runCommand("env -u DISPLAY SDL_AUDIODRIVER=dummy '" + std::string(QUORVATH_BINARY_DIR) + "/quorvath-sim' '" +
                          script + "' 2>&1",
                      out);
}

}  // namespace

TEST_F(RecordedSession, TheScriptReplaysHeadlessToTheSameState) {
    writeTextFile("gamedat.xml", savedGame);
    std::filesystem::create_directories("rec");
    LaunchOptions options;
    options.startScreen = 0;
    options.startX = 400;
    options.startY = 300;
    options.storyFlags = {{41, 5}};
    std::string reason;
    ASSERT_TRUE(startRecording(controls.recording, (folder.path() / "rec/session.sim").string(), 77, options, reason))
        << reason;
    std::srand(77);
    setStoryFlag(*game, 41, 5);
    ASSERT_TRUE(startAnywhere(*game, 0, 400, 300));

    tick(1, 0);  // the loop's first tick comes at once
    tick(3);
    down(vkL);  // the saved game, which the replay finds beside its script
    up(vkL);
    tick(2);
    down(vkDown);
    tick(10);      // into the lower field, where two enemies appear at random places and chase the hero
    down(vkDown);  // a held key's repeat changes nothing and is not written
    up(vkDown);
    for (int32_t swing = 0; swing < 6; ++swing) {
        down(vkSpace);
        tick(2);
        up(vkSpace);
        tick(5);
    }
    send(WindowEventKind::activate, 0);
    tick(3);
    send(WindowEventKind::activate, 1);
    down(vkControl);  // the author's Ctrl: up through the field's border onto the ledge
    down(vkRight);
    tick(8);
    up(vkRight);
    down(vkUp);
    tick(40);
    up(vkUp);
    up(vkControl);
    tick(4);
    const int32_t endX = game->heroX, endY = game->heroY, endLife = game->heroLife;
    EXPECT_EQ(game->currentArea, 3) << "through the ledge, of another level, and above it: his area stays the ledge";
    finishRecording(controls.recording, *game);
    EXPECT_FALSE(recordingOn(controls.recording));

    const std::string script = readTextFile("rec/session.sim");
    std::istringstream lines(script);
    std::vector<std::string> commands;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line[0] != '#') commands.push_back(line);
    const std::vector<std::string> head = {"seed 77",
                                           "savefile session.gamedat.xml",
                                           "set storyFlags[41] 5",
                                           "start 0 400 300",
                                           "frame",
                                           "tick 3",
                                           "down L",
                                           "up L",
                                           "tick 2",
                                           "down Down",
                                           "tick 10",
                                           "up Down",
                                           "down Space",
                                           "tick 2",
                                           "up Space"};
    ASSERT_GE(commands.size(), head.size()) << script;
    for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(commands[i], head[i]) << script;
    const std::vector<std::string> written = {"activate 0",
                                              "activate 1",
                                              "set testPlay.walkThrough 1",
                                              "down Right",
                                              "down Up",
                                              "set testPlay.walkThrough 0",
                                              "expect heroMoney 4321",
                                              "expect storyFlags[42] 3",
                                              "expect storyFlags[41] 5",
                                              "expect currentArea 3",
                                              "expect heroX " + std::to_string(endX),
                                              "expect heroY " + std::to_string(endY),
                                              "expect heroLife " + std::to_string(endLife)};
    for (const std::string& line : written)
        EXPECT_NE(script.find(line + "\n"), std::string::npos) << line << " in\n" << script;
    EXPECT_EQ(readTextFile("rec/session.gamedat.xml"), savedGame);

    // The world's own save is gone: the replay loads the copy beside the script.
    std::filesystem::remove("gamedat.xml");
    std::string out;
    EXPECT_EQ(replay("rec/session.sim", out), 0) << out;
    EXPECT_EQ(out.find("error"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml")) << "the replay never touches the world's save";
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(RecordedSession, ASessionWithoutASaveReplaysWithoutOne) {
    LaunchOptions options;
    std::string reason;
    ASSERT_TRUE(startRecording(controls.recording, (folder.path() / "plain.sim").string(), 5, options, reason));
    tick(2);
    down(vkL);  // no save: the load does nothing, in the game and in the replay alike
    up(vkL);
    tick(1);
    finishRecording(controls.recording, *game);
    const std::string script = readTextFile("plain.sim");
    EXPECT_NE(script.find("savefile none\n"), std::string::npos) << script;
    EXPECT_EQ(script.find("start "), std::string::npos) << "the session began on the title";
    EXPECT_FALSE(std::filesystem::exists("plain.gamedat.xml"));
    std::string out;
    EXPECT_EQ(replay("plain.sim", out), 0) << out;
    EXPECT_EQ(out.find("\"error\""), std::string::npos) << out;

    EXPECT_FALSE(
        startRecording(controls.recording, (folder.path() / "missing/folder/x.sim").string(), 5, options, reason));
    EXPECT_NE(reason.find("missing/folder/x.sim"), std::string::npos) << reason;
}

// The game refuses, before its window and without waiting, a recording into a pipe, over the world's own files or
// over any file without --force (the copy of the save beside the script included); status 2 and the reason.
TEST_F(RecordedSession, ARecordingIntoAPipeTheWorldsFilesOrAnExistingFileIsRefusedBeforeTheWindow) {
    writeTextFile("gamedat.xml", savedGame);
    writeTextFile("old.sim", "kept");
    ::mkfifo("pipe.sim", 0644);
    ::mkfifo("copy.gamedat.xml", 0644);
    const std::tuple<const char*, int, const char*> runs[] = {
        {"--record pipe.sim", 2, "pipe.sim is not a regular file"},
        {"--record copy.sim", 2, "copy.gamedat.xml is not a regular file"},
        {"--record media/BigMapData.xml", 2, "is one of the world's own files (under media/)"},
        {"--force --record pict/new.sim", 2, "is one of the world's own files (under pict/)"},
        {"--force --record gamedat.xml", 2, "gamedat.xml is the world's saved game"},
        {"--record old.sim", 2, "old.sim exists; give --force to overwrite it"},
        {"--force --record old.sim", 1, "cannot open the display"},
    };
    const std::string quorvath = "env -u DISPLAY SDL_AUDIODRIVER=dummy timeout 60 '" QUORVATH_BINARY_DIR "/quorvath' ";
    for (const auto& [arguments, status, said] : runs) {
        std::string err;
        EXPECT_EQ(runCommand(quorvath + arguments + " . 2>&1 >/dev/null", err), status) << arguments;
        EXPECT_NE(err.find(said), std::string::npos) << arguments << ": " << err;
    }
    EXPECT_EQ(readTextFile("old.sim"), "kept");
    EXPECT_EQ(readTextFile("gamedat.xml"), savedGame);
}

// An edit session in test-play, its mouse and keys through the game's own handlers: the script it records, replayed
// headless on the world as it was, writes the very same map file.
TEST_F(RecordedSession, AnEditSessionReplaysHeadlessToTheSameFile) {
    LaunchOptions options;
    options.startScreen = 0;
    options.startX = 400;
    options.startY = 300;
    std::string reason;
    ASSERT_TRUE(startRecording(controls.recording, (folder.path() / "edit.sim").string(), 3, options, reason));
    ASSERT_TRUE(startAnywhere(*game, 0, 400, 300));
    const std::string before = readTextFile("media/BigMapData.xml");
    auto mouse = [&](WindowEventKind kind, int32_t x, int32_t y, int32_t button = 1, bool shift = false) {
        WindowEvent event;
        event.kind = kind;
        event.value = kind == WindowEventKind::mouseMove ? 0 : button;
        event.x = x;
        event.y = y;
        event.onPicture = true;
        event.shift = shift;
        handleInputEvent(*game, controls, event);
    };
    auto drag = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2, bool shift = false) {
        mouse(WindowEventKind::mouseDown, x1, y1);
        mouse(WindowEventKind::mouseMove, x2, y2, 0, shift);
        mouse(WindowEventKind::mouseUp, x2, y2, 1, shift);
    };
    auto click = [&](int32_t x, int32_t y) { drag(x, y, x, y); };
    // The picture shows map (x, y) at (x - 100, y + 7): the ledge's corner (600, 100) onto the grid, a new vertex on
    // its upper edge, the NPC's box moved, a ledge corner deleted, a new area drawn, undone, done again and deleted.
    down(vkF4);
    drag(500, 107, 520, 100, true);
    drag(420, 107, 420, 97);
    drag(300, 127, 290, 127);
    mouse(WindowEventKind::mouseDown, 350, 147, 3);
    down(vkN);
    for (const auto& [x, y] : {std::pair{100, 30}, {150, 30}, {125, 60}}) click(x, y);
    down(vkEnter);
    for (const int32_t key : {vkZ, vkY}) {  // Ctrl+Z, Ctrl+Y
        WindowEvent event;
        event.kind = WindowEventKind::keyDown;
        event.value = key;
        event.ctrl = true;
        handleInputEvent(*game, controls, event);
    }
    // P over the field and picture 0 of the panel's list: a new NPC, recorded as newnpc and the panel's click.
    mouse(WindowEventKind::mouseMove, 200, 250);
    down(vkP);
    for (const PanelItem& item : editPanelItems(*game)) {
        if (item.action != PanelAction::pick || item.value != 0) continue;
        click(item.box.x + 2, item.box.y + 2);
        break;
    }
    EXPECT_NE(readTextFile("media/BigMapData.xml").find("<npc imageid=\"0\"><speech>"), std::string::npos);
    click(125, 40);
    down(vkDelete);
    down(vkF4);
    finishRecording(controls.recording, *game);
    const std::string after = readTextFile("media/BigMapData.xml");
    EXPECT_NE(after.find("<point x=\"450\" y=\"100\"/><point x=\"520\" y=\"90\"/><point x=\"620\" y=\"90\"/>"
                         "<point x=\"600\" y=\"140\"/></area>"),
              std::string::npos)
        << after;

    writeTextFile("media/BigMapData.xml", before);
    std::string out;
    EXPECT_EQ(replay("edit.sim", out), 0) << out;
    EXPECT_EQ(out.find("\"error\""), std::string::npos) << out;
    EXPECT_EQ(readTextFile("media/BigMapData.xml"), after) << readTextFile("edit.sim");
}
