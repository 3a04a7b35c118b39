// Keys and pad buttons on their way to the key tables: the player's own keys never arrive, bindings decide
// which game key arrives, an input shared by two controls is let go by the last, and a paused game takes
// no presses. Volume, mute and screenshots with their notes and the settings written back.
#include "app/controls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/game_state.h"
#include "app/notes.h"
#include "platform/graphics.h"
#include "test_support.h"

namespace {

constexpr int32_t keyM = 0x4D, keyP = 0x50, keyQ = 0x51, keyW = 0x57, keyEnter = 0x0D, keyEscape = 0x1B,
                  keyF11 = 0x7A, keyF12 = 0x7B, keyMinus = 0xBD, keyEquals = 0xBB, keyPadMinus = 0x6D,
                  keyPadPlus = 0x6B;

class Controlling : public ::testing::Test {
protected:
    void SetUp() override {
        useManualClock(1000);
        game.backBuffer = createCanvas(900, 600);
        game.smallFont = createFont(16);
        game.largeFont = createFont(20);
    }

    void key(int32_t code, bool down, bool ctrl = false, bool alt = false, bool repeat = false) {
        WindowEvent event;
        event.kind = down ? WindowEventKind::keyDown : WindowEventKind::keyUp;
        event.value = code;
        event.ctrl = ctrl;
        event.alt = alt;
        event.repeat = repeat;
        handleInputEvent(game, controls, event);
    }
    void tap(int32_t code, bool ctrl = false, bool alt = false) {
        key(code, true, ctrl, alt);
        key(code, false, ctrl, alt);
    }
    void pad(WindowEventKind kind, int32_t value, int32_t amount = 0, int32_t device = 3) {
        WindowEvent event;
        event.kind = kind;
        event.value = value;
        event.amount = amount;
        event.device = device;
        handleInputEvent(game, controls, event);
    }
    bool anyKeyDown() const {
        for (int32_t entry : game.keyDown) {
            if (entry != 0) return true;
        }
        return false;
    }

    TempFolder folder;
    GameState game;
    Controls controls;
};

}  // namespace

TEST_F(Controlling, ThePlayersOwnKeysNeverReachTheKeyTables) {
    EXPECT_EQ(playerCommandOfKey(controls, keyF11, false, false), PlayerCommand::toggleFullscreen);
    EXPECT_EQ(playerCommandOfKey(controls, keyEnter, false, true), PlayerCommand::toggleFullscreen);
    EXPECT_EQ(playerCommandOfKey(controls, keyEscape, false, false), PlayerCommand::leaveFullscreen);
    EXPECT_EQ(playerCommandOfKey(controls, keyM, false, false), PlayerCommand::toggleMute);
    EXPECT_EQ(playerCommandOfKey(controls, keyMinus, false, false), PlayerCommand::volumeDown);
    EXPECT_EQ(playerCommandOfKey(controls, keyPadMinus, false, false), PlayerCommand::volumeDown);
    EXPECT_EQ(playerCommandOfKey(controls, keyEquals, false, false), PlayerCommand::volumeUp);
    EXPECT_EQ(playerCommandOfKey(controls, keyPadPlus, false, false), PlayerCommand::volumeUp);
    EXPECT_EQ(playerCommandOfKey(controls, keyP, false, false), PlayerCommand::togglePause);
    EXPECT_EQ(playerCommandOfKey(controls, keyF12, false, false), PlayerCommand::screenshot);
    EXPECT_EQ(playerCommandOfKey(controls, keyQ, true, false), PlayerCommand::quit);

    controls.screenshotFolder = "shots";
    for (int32_t code : {keyF11, keyEscape, keyM, keyMinus, keyEquals, keyPadMinus, keyPadPlus, keyF12}) {
        key(code, true);
        EXPECT_FALSE(anyKeyDown()) << code;
        key(code, false);
    }
    key(keyEnter, true, false, true);
    EXPECT_FALSE(anyKeyDown());
    key(keyEnter, false);
    tap(keyP);
    tap(keyP);
    EXPECT_FALSE(controls.paused);
    EXPECT_FALSE(controls.quit);
    key(keyQ, true, true);
    EXPECT_TRUE(controls.quit);
    EXPECT_FALSE(anyKeyDown());
    EXPECT_EQ(game.keyLatch, decltype(game.keyLatch){});

    // Without their modifier, Enter and Q are plain keys of the game as ever.
    key(keyEnter, true);
    EXPECT_EQ(game.keyDown[keyEnter], 1);
    key(keyQ, true);
    EXPECT_EQ(game.keyDown[keyQ], 1);
}

TEST_F(Controlling, BindingsDecideWhichGameKeyArrives) {
    // By default every key arrives as itself, the game's own and the others alike.
    for (int32_t code : {keySpace, keyLeft, keyUp, keyRight, keyDown, keyA, keyB, keyN, keyV, keyShift, keyW}) {
        key(code, true);
        EXPECT_EQ(game.keyDown[code], 1) << code;
        key(code, false);
        EXPECT_EQ(game.keyDown[code], 0) << code;
    }
    // W walks up in place of Up, Return talks beside V: the game still sees only Up and V.
    controls.settings.keys[actWalkUp] = {keyW};
    controls.settings.keys[actTalk] = {keyEnter, keyV};
    key(keyW, true);
    EXPECT_EQ(game.keyDown[keyUp], 1);
    EXPECT_EQ(game.keyDown[keyW], 0);
    key(keyW, false);
    EXPECT_EQ(game.keyDown[keyUp], 0);
    key(keyUp, true);
    EXPECT_FALSE(anyKeyDown()) << "Up's job moved to W";
    key(keyUp, false);
    key(keyEnter, true);
    EXPECT_TRUE(keyPressed(game, keyV));
    key(keyEnter, false);

    // S saves through the binding as from the keyboard: the save rule latches it at once.
    controls.settings.keys[actSave] = {0x74};
    key(0x74, true);
    EXPECT_EQ(game.keyDown[keyS], 1);
    EXPECT_EQ(game.keyLatch[keyS], 1);
}

TEST_F(Controlling, AKeyHeldByTwoControlsIsLetGoByTheLastAndRepeatsKeepTheLatch) {
    key(keyDown, true);
    pad(WindowEventKind::padButtonDown, padDpadDown);
    key(keyDown, false);
    EXPECT_EQ(game.keyDown[keyDown], 1) << "the d-pad still holds it";
    pad(WindowEventKind::padButtonUp, padDpadDown);
    EXPECT_EQ(game.keyDown[keyDown], 0);

    // Auto-repeat of a held key keeps it down without a second action.
    key(keyV, true);
    ASSERT_TRUE(takeKeyPress(game, keyV));
    key(keyV, true, false, false, true);
    EXPECT_FALSE(keyPressed(game, keyV));
    key(keyV, false);
    EXPECT_EQ(game.keyLatch[keyV], 0);
}

TEST_F(Controlling, PadButtonsAndTheLeftStickActAsTheirKeys) {
    const std::pair<int32_t, int32_t> expected[] = {{padA, keyV}, {padX, keySpace}, {padB, keyB}, {padY, keyN},
                                                     {padDpadUp, keyUp}, {padDpadDown, keyDown},
                                                     {padDpadLeft, keyLeft}, {padDpadRight, keyRight}};
    for (const auto& [button, gameKey] : expected) {
        pad(WindowEventKind::padButtonDown, button);
        EXPECT_EQ(game.keyDown[gameKey], 1) << button;
        pad(WindowEventKind::padButtonUp, button);
        EXPECT_FALSE(anyKeyDown()) << button;
    }
    pad(WindowEventKind::padButtonDown, padGuide);
    EXPECT_FALSE(anyKeyDown()) << "an unbound button does nothing";
    pad(WindowEventKind::padButtonDown, padStart);
    EXPECT_TRUE(controls.paused);
    pad(WindowEventKind::padButtonUp, padStart);
    pad(WindowEventKind::padButtonDown, padStart);
    EXPECT_FALSE(controls.paused);

    // The stick walks past the push mark and stops only once back inside the rest mark.
    pad(WindowEventKind::padAxis, padLeftX, -20000);
    EXPECT_EQ(game.keyDown[keyLeft], 1);
    pad(WindowEventKind::padAxis, padLeftX, -12000);
    EXPECT_EQ(game.keyDown[keyLeft], 1);
    pad(WindowEventKind::padAxis, padLeftX, 20000);
    EXPECT_EQ(game.keyDown[keyLeft], 0);
    EXPECT_EQ(game.keyDown[keyRight], 1);
    pad(WindowEventKind::padAxis, padLeftX, 3000);
    EXPECT_FALSE(anyKeyDown());
    pad(WindowEventKind::padAxis, padLeftY, 30000);
    EXPECT_EQ(game.keyDown[keyDown], 1);
    pad(WindowEventKind::padAxis, padRightY, -30000);
    EXPECT_EQ(game.keyDown[keyUp], 0) << "the right stick does not walk";

    // A pad pulled out lets go of what it held, and only that.
    pad(WindowEventKind::padButtonDown, padA);
    pad(WindowEventKind::padButtonDown, padX, 0, 4);
    pad(WindowEventKind::padRemoved, 0);
    EXPECT_EQ(game.keyDown[keyDown], 0);
    EXPECT_EQ(game.keyDown[keyV], 0);
    EXPECT_EQ(game.keyDown[keySpace], 1) << "the other pad still holds Space";
}

TEST_F(Controlling, APausedGameTakesNoPressesButLetsKeysGo) {
    key(keyDown, true);
    tap(keyP);
    ASSERT_TRUE(controls.paused);
    key(keyV, true);
    pad(WindowEventKind::padButtonDown, padX);
    EXPECT_EQ(game.keyDown[keyV], 0);
    EXPECT_EQ(game.keyDown[keySpace], 0);
    key(keyDown, false);
    EXPECT_EQ(game.keyDown[keyDown], 0);
    // The save key saves nothing while paused: the game is frozen as it is shown.
    key(keyS, true);
    EXPECT_EQ(game.keyLatch[keyS], 0);
}

TEST_F(Controlling, VolumeAndMuteShowTheirNoteAndAreWrittenBack) {
    controls.settingsPath = "config/settings.toml";
    game.notes.shown = true;
    key(keyMinus, true);
    key(keyMinus, true, false, false, true);  // held: the volume goes on down
    key(keyMinus, false);
    EXPECT_EQ(controls.settings.musicVolume, 80);
    EXPECT_EQ(notesOnScreen(game, false), "おんがく 80");
    for (int i = 0; i < 5; ++i) tap(keyPadPlus);
    EXPECT_EQ(controls.settings.musicVolume, 100) << "never above 100";
    tap(keyM);
    EXPECT_TRUE(controls.settings.mute);
    EXPECT_EQ(notesOnScreen(game, false), "ミュート");
    key(keyM, true, false, false, true);
    EXPECT_TRUE(controls.settings.mute) << "a held M mutes once";
    key(keyM, false);
    std::ostringstream warnings;
    const Settings written = readSettings("config/settings.toml", warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_TRUE(written.mute);
    EXPECT_EQ(written.musicVolume, 100);

    tap(keyMinus);
    EXPECT_FALSE(controls.settings.mute) << "turning the volume ends the mute";
    EXPECT_EQ(controls.settings.musicVolume, 90);
    for (int i = 0; i < 12; ++i) tap(keyMinus);
    EXPECT_EQ(controls.settings.musicVolume, 0);
    EXPECT_EQ(notesOnScreen(game, false), "おんがく 0");
}

TEST_F(Controlling, F12SavesTheBackBufferUnderADateTimeName) {
    game.notes.shown = true;
    fillRect(game.backBuffer, 100, 100, 50, 40, 0xFF12A4C8);
    fillRect(game.backBuffer, 700, 0, 10, 600, 0x80FF0000);
    controls.screenshotFolder = (folder.path() / "pictures" / "Quorvath").string();
    tap(keyF12);
    tap(keyF12);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(controls.screenshotFolder)) files.push_back(entry);
    ASSERT_EQ(files.size(), 2u) << "two shots in one second keep both";
    for (const std::filesystem::path& file : files) {
        const std::string name = file.filename().string();
        EXPECT_EQ(name.rfind("quorvath-", 0), 0u) << name;
        const Picture shot = decodePictureFile(file.string());
        ASSERT_EQ(pictureWidth(shot), 900);
        ASSERT_EQ(pictureHeight(shot), 600);
        Canvas drawn = createCanvas(900, 600);
        drawPicture(drawn, shot, 0, 0);
        for (int32_t y = 0; y < 600; y += 7) {
            for (int32_t x = 0; x < 900; x += 5) {
                ASSERT_EQ(canvasPixel(drawn, x, y), canvasPixel(game.backBuffer, x, y)) << x << ", " << y;
            }
        }
    }
    EXPECT_EQ(notesOnScreen(game, false).rfind("quorvath-", 0), 0u) << "the note names the file";

    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(screenshotName(1796220202), "quorvath-2026-12-02_14-03-22.png");
}
