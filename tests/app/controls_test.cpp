// Keys and pad buttons on their way to the key tables: the player's own keys never arrive, bindings decide
// which game key arrives, an input shared by two controls is let go by the last, and a paused game takes
// no presses. Volume, mute and screenshots with their notes and the settings written back.
#include "app/controls.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/window_picture.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/notes.h"
#include "game/options_menu.h"
#include "game/translation.h"
#include "platform/audio.h"
#include "platform/graphics.h"
#include "test_support.h"

namespace {

constexpr int32_t vkW = 0x57;

class Controlling : public ::testing::Test {
protected:
    void SetUp() override {
        useManualClock(1000);
        giveDrawingSurfaces(game);
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
    EXPECT_EQ(playerCommandOfKey(controls, vkF11, false, false), PlayerCommand::toggleFullscreen);
    EXPECT_EQ(playerCommandOfKey(controls, vkEnter, false, true), PlayerCommand::toggleFullscreen);
    EXPECT_EQ(playerCommandOfKey(controls, vkEscape, false, false), PlayerCommand::openMenu);
    EXPECT_EQ(playerCommandOfKey(controls, vkM, false, false), PlayerCommand::toggleMute);
    EXPECT_EQ(playerCommandOfKey(controls, vkMinus, false, false), PlayerCommand::volumeDown);
    EXPECT_EQ(playerCommandOfKey(controls, vkPadMinus, false, false), PlayerCommand::volumeDown);
    EXPECT_EQ(playerCommandOfKey(controls, vkEquals, false, false), PlayerCommand::volumeUp);
    EXPECT_EQ(playerCommandOfKey(controls, vkPadPlus, false, false), PlayerCommand::volumeUp);
    EXPECT_EQ(playerCommandOfKey(controls, vkP, false, false), PlayerCommand::togglePause);
    EXPECT_EQ(playerCommandOfKey(controls, vkF12, false, false), PlayerCommand::screenshot);
    EXPECT_EQ(playerCommandOfKey(controls, vkQ, true, false), PlayerCommand::quit);

    controls.screenshotFolder = "shots";
    for (int32_t code : {vkF11, vkEscape, vkM, vkMinus, vkEquals, vkPadMinus, vkPadPlus, vkF12}) {
        key(code, true);
        EXPECT_FALSE(anyKeyDown()) << code;
        key(code, false);
    }
    key(vkEnter, true, false, true);
    EXPECT_FALSE(anyKeyDown());
    key(vkEnter, false);
    tap(vkP);
    tap(vkP);
    EXPECT_FALSE(controls.paused);
    EXPECT_FALSE(controls.quit);
    // Ctrl+Q asks first when there is progress since the last save (a game never saved has some).
    key(vkQ, true, true);
    EXPECT_FALSE(controls.quit);
    EXPECT_EQ(game.menu.asking, rowQuit);
    tap(vkLeft);
    tap(vkV);
    EXPECT_TRUE(controls.quit);
    EXPECT_FALSE(anyKeyDown());
    game.menu.open = false;
    EXPECT_EQ(game.keyLatch, decltype(game.keyLatch){});

    // Without their modifier, Enter and Q are plain keys of the game as ever.
    key(vkEnter, true);
    EXPECT_EQ(game.keyDown[vkEnter], 1);
    key(vkQ, true);
    EXPECT_EQ(game.keyDown[vkQ], 1);
}

TEST_F(Controlling, TheAuthorsKeysWorkOnlyInTestPlayAndNeverReachTheKeyTables) {
    for (int32_t code : {vkF3, vkF9, vkControl}) {
        key(code, true);
        EXPECT_EQ(game.keyDown[code], 1) << "a plain key without test-play: " << code;
        key(code, false);
    }
    EXPECT_FALSE(game.testPlay.overlay || game.testPlay.panel || game.testPlay.walkThrough);

    controls.testPlay = true;
    EXPECT_EQ(playerCommandOfKey(controls, vkF3, false, false), PlayerCommand::toggleOverlay);
    EXPECT_EQ(playerCommandOfKey(controls, vkF5, false, false), PlayerCommand::reloadWorld);
    EXPECT_EQ(playerCommandOfKey(controls, vkF9, false, false), PlayerCommand::togglePanel);
    // Test-play's F5 comes before a binding of the save key to it.
    controls.settings.keys[actSave] = {vkF5};
    EXPECT_EQ(playerCommandOfKey(controls, vkF5, false, false), PlayerCommand::reloadWorld);
    tap(vkF3);
    tap(vkF9);
    EXPECT_TRUE(game.testPlay.overlay);
    EXPECT_TRUE(game.testPlay.panel);
    key(vkF3, true);
    key(vkF3, true, false, false, true);  // a held key's repeat toggles nothing
    key(vkF3, false);
    EXPECT_FALSE(game.testPlay.overlay);
    key(vkControl, true);
    EXPECT_TRUE(game.testPlay.walkThrough);
    key(vkControl, false);
    EXPECT_FALSE(game.testPlay.walkThrough);
    // A window that loses the keyboard never hears Ctrl let go.
    key(vkControl, true);
    WindowEvent away;
    away.kind = WindowEventKind::activate;
    away.value = 0;
    handleInputEvent(game, controls, away);
    EXPECT_FALSE(game.testPlay.walkThrough);
    EXPECT_FALSE(anyKeyDown());
}

TEST_F(Controlling, BindingsDecideWhichGameKeyArrives) {
    // By default every key arrives as itself, the game's own and the others alike.
    for (int32_t code : {vkSpace, vkLeft, vkUp, vkRight, vkDown, vkA, vkB, vkN, vkV, vkShift, vkW}) {
        key(code, true);
        EXPECT_EQ(game.keyDown[code], 1) << code;
        key(code, false);
        EXPECT_EQ(game.keyDown[code], 0) << code;
    }
    // W walks up in place of Up, Return talks beside V: the game still sees only Up and V.
    controls.settings.keys[actWalkUp] = {vkW};
    controls.settings.keys[actTalk] = {vkEnter, vkV};
    key(vkW, true);
    EXPECT_EQ(game.keyDown[vkUp], 1);
    EXPECT_EQ(game.keyDown[vkW], 0);
    key(vkW, false);
    EXPECT_EQ(game.keyDown[vkUp], 0);
    key(vkUp, true);
    EXPECT_FALSE(anyKeyDown()) << "Up's job moved to W";
    key(vkUp, false);
    key(vkEnter, true);
    EXPECT_TRUE(keyPressed(game, vkV));
    key(vkEnter, false);

    // S saves through the binding as from the keyboard: the save rule latches it at once.
    controls.settings.keys[actSave] = {0x74};
    key(0x74, true);
    EXPECT_EQ(game.keyDown[vkS], 1);
    EXPECT_EQ(game.keyLatch[vkS], 1);
}

TEST_F(Controlling, AKeyHeldByTwoControlsIsLetGoByTheLastAndRepeatsKeepTheLatch) {
    key(vkDown, true);
    pad(WindowEventKind::padButtonDown, padDpadDown);
    key(vkDown, false);
    EXPECT_EQ(game.keyDown[vkDown], 1) << "the d-pad still holds it";
    pad(WindowEventKind::padButtonUp, padDpadDown);
    EXPECT_EQ(game.keyDown[vkDown], 0);

    // Auto-repeat of a held key keeps it down without a second action.
    key(vkV, true);
    ASSERT_TRUE(takeKeyPress(game, vkV));
    key(vkV, true, false, false, true);
    EXPECT_FALSE(keyPressed(game, vkV));
    key(vkV, false);
    EXPECT_EQ(game.keyLatch[vkV], 0);
}

TEST_F(Controlling, PadButtonsAndTheLeftStickActAsTheirKeys) {
    const std::pair<int32_t, int32_t> expected[] = {
        {padA, vkV},       {padX, vkSpace},       {padB, vkB},           {padY, vkN},
        {padDpadUp, vkUp}, {padDpadDown, vkDown}, {padDpadLeft, vkLeft}, {padDpadRight, vkRight}};
    for (const auto& [button, gameKey] : expected) {
        pad(WindowEventKind::padButtonDown, button);
        EXPECT_EQ(game.keyDown[gameKey], 1) << button;
        pad(WindowEventKind::padButtonUp, button);
        EXPECT_FALSE(anyKeyDown()) << button;
    }
    pad(WindowEventKind::padButtonDown, padGuide);
    EXPECT_FALSE(anyKeyDown()) << "an unbound button does nothing";
    // Start opens the menu and closes it again; while it is open the pad moves in it.
    pad(WindowEventKind::padButtonDown, padStart);
    EXPECT_TRUE(game.menu.open);
    pad(WindowEventKind::padButtonUp, padStart);
    pad(WindowEventKind::padButtonDown, padDpadDown);
    EXPECT_EQ(game.menu.row, rowMusic);
    EXPECT_FALSE(anyKeyDown());
    pad(WindowEventKind::padButtonDown, padStart);
    EXPECT_FALSE(game.menu.open);

    // The stick walks past the push mark and stops only once back inside the rest mark.
    pad(WindowEventKind::padAxis, padLeftX, -20000);
    EXPECT_EQ(game.keyDown[vkLeft], 1);
    pad(WindowEventKind::padAxis, padLeftX, -12000);
    EXPECT_EQ(game.keyDown[vkLeft], 1);
    pad(WindowEventKind::padAxis, padLeftX, 20000);
    EXPECT_EQ(game.keyDown[vkLeft], 0);
    EXPECT_EQ(game.keyDown[vkRight], 1);
    pad(WindowEventKind::padAxis, padLeftX, 3000);
    EXPECT_FALSE(anyKeyDown());
    pad(WindowEventKind::padAxis, padLeftY, 30000);
    EXPECT_EQ(game.keyDown[vkDown], 1);
    pad(WindowEventKind::padAxis, padRightY, -30000);
    EXPECT_EQ(game.keyDown[vkUp], 0) << "the right stick does not walk";

    // A pad pulled out lets go of what it held, and only that.
    pad(WindowEventKind::padButtonDown, padA);
    pad(WindowEventKind::padButtonDown, padX, 0, 4);
    pad(WindowEventKind::padRemoved, 0);
    EXPECT_EQ(game.keyDown[vkDown], 0);
    EXPECT_EQ(game.keyDown[vkV], 0);
    EXPECT_EQ(game.keyDown[vkSpace], 1) << "the other pad still holds Space";
}

TEST_F(Controlling, APausedGameTakesNoPressesButLetsKeysGo) {
    key(vkDown, true);
    tap(vkP);
    ASSERT_TRUE(controls.paused);
    key(vkV, true);
    pad(WindowEventKind::padButtonDown, padX);
    EXPECT_EQ(game.keyDown[vkV], 0);
    EXPECT_EQ(game.keyDown[vkSpace], 0);
    key(vkDown, false);
    EXPECT_EQ(game.keyDown[vkDown], 0);
    // The save key saves nothing while paused: the game is frozen as it is shown.
    key(vkS, true);
    EXPECT_EQ(game.keyLatch[vkS], 0);
}

TEST_F(Controlling, VolumeAndMuteShowTheirNoteAndAreWrittenBack) {
    controls.settingsPath = "config/settings.toml";
    game.notes.shown = true;
    key(vkMinus, true);
    key(vkMinus, true, false, false, true);  // held: the volume goes on down
    key(vkMinus, false);
    EXPECT_EQ(controls.settings.musicVolume, 80);
    EXPECT_EQ(notesOnScreen(game, false), "おんがく 80");
    for (int i = 0; i < 5; ++i) tap(vkPadPlus);
    EXPECT_EQ(controls.settings.musicVolume, 100) << "never above 100";
    tap(vkM);
    EXPECT_TRUE(controls.settings.mute);
    EXPECT_EQ(notesOnScreen(game, false), "ミュート");
    key(vkM, true, false, false, true);
    EXPECT_TRUE(controls.settings.mute) << "a held M mutes once";
    key(vkM, false);
    std::ostringstream warnings;
    const Settings written = readSettings("config/settings.toml", warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_TRUE(written.mute);
    EXPECT_EQ(written.musicVolume, 100);

    tap(vkMinus);
    EXPECT_FALSE(controls.settings.mute) << "turning the volume ends the mute";
    EXPECT_EQ(controls.settings.musicVolume, 90);
    for (int i = 0; i < 12; ++i) tap(vkMinus);
    EXPECT_EQ(controls.settings.musicVolume, 0);
    EXPECT_EQ(notesOnScreen(game, false), "おんがく 0");
}

// The effects row turns the effects apart from the music, writes it at once and is heard at the new level; M mutes
// both, and turning the effects ends the mute.
TEST_F(Controlling, TheEffectsRowTurnsTheEffectsAloneAndMuteSilencesBoth) {
    controls.settingsPath = "config/settings.toml";
    applySettings(game, controls);
    const struct {
        int32_t key;
        bool mute;
        int32_t row, effects, level, moves, choices;
    } steps[] = {
        {vkEscape, false, rowResume, 100, 128, 0, 0}, {vkDown, false, rowMusic, 100, 128, 1, 0},
        {vkDown, false, rowEffects, 100, 128, 2, 0},  {vkLeft, false, rowEffects, 90, 115, 3, 0},
        {vkLeft, false, rowEffects, 80, 102, 4, 0},   {vkM, true, rowEffects, 80, 0, 4, 0},
        {vkRight, false, rowEffects, 90, 115, 5, 0},  {vkUp, false, rowMusic, 90, 115, 6, 0},
        {vkV, false, rowMusic, 90, 115, 6, 0},        {vkUp, false, rowResume, 90, 115, 7, 0},
        {vkV, false, rowResume, 90, 115, 7, 1},
    };
    for (const auto& step : steps) {
        tap(step.key);
        EXPECT_EQ(controls.settings.mute, step.mute) << step.key;
        EXPECT_EQ(game.menu.row, step.row) << step.key;
        EXPECT_EQ(game.menu.effectsVolume, step.effects) << step.key;
        EXPECT_EQ(effectsLevel(), step.level) << step.key;
        EXPECT_EQ(game.soundsPlayed[soundMenuMove], static_cast<uint32_t>(step.moves)) << step.key;
        EXPECT_EQ(game.soundsPlayed[soundMenuSelect], static_cast<uint32_t>(step.choices)) << step.key;
    }
    EXPECT_FALSE(game.menu.open);
    EXPECT_EQ(controls.settings.musicVolume, 100) << "the music's own volume is untouched";
    std::ostringstream warnings;
    EXPECT_EQ(readSettings("config/settings.toml", warnings).effectsVolume, 90);
    setEffectsVolume(100, false);
}

TEST_F(Controlling, F12SavesTheBackBufferUnderADateTimeName) {
    game.notes.shown = true;
    fillRect(game.backBuffer, 100, 100, 50, 40, 0xFF12A4C8);
    fillRect(game.backBuffer, 700, 0, 10, 600, 0x80FF0000);
    controls.screenshotFolder = (folder.path() / "pictures" / "Quorvath").string();
    tap(vkF12);
    tap(vkF12);
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

// A window that loses the keyboard holds the music as P does, and gives it back only when neither holds it.
TEST_F(Controlling, AnInactiveWindowHoldsTheMusicAsThePauseDoes) {
    const std::pair<int32_t, bool> steps[] = {{0, true}, {1, false}, {vkP, true}, {0, true}, {1, true}, {vkP, false}};
    for (const auto& [step, held] : steps) {
        if (step == vkP) {
            tap(vkP);
        } else {
            pad(WindowEventKind::activate, step);
        }
        EXPECT_EQ(musicHeld(), held) << step;
    }
    tap(vkEscape);
    pad(WindowEventKind::activate, 0);
    pad(WindowEventKind::activate, 1);
    EXPECT_TRUE(musicHeld()) << "the menu still holds it";
}

// What is wrong in the settings file reaches a player who never sees standard error: once, as a note.
TEST_F(Controlling, SettingsWarningsAreShownAsANoteToo) {
    game.notes.shown = true;
    controls.settingsPath = (folder.path() / "config" / "settings.toml").string();
    writeTextFile("config/settings.toml", "[audio]\nmusic_volume = 300\n[keys]\ntalk = [\"NoSuchKey\"]\n");
    std::ostringstream err;
    readPlayerSettings(game, controls, err);
    EXPECT_NE(err.str().find(folder.path().string() + "/config/settings.toml:2: warning: audio.music_volume"),
              std::string::npos);
    const std::string note = notesOnScreen(game, false);
    EXPECT_EQ(note.rfind("せっていファイルの もんだい:\nsettings.toml:2: audio.music_volume must be", 0), 0u) << note;
    EXPECT_NE(note.find("\nsettings.toml:4: unknown key"), std::string::npos) << note;
    EXPECT_EQ(note.find(folder.path().string()), std::string::npos) << "the folder is left out";
    advanceManualClock(7000);
    EXPECT_FALSE(notesOnScreen(game, false).empty()) << "long enough to read";

    game.notes.text.clear();
    writeTextFile("config/settings.toml", "[audio]\nmusic_volume = 30\n");
    readPlayerSettings(game, controls, err);
    EXPECT_EQ(game.notes.text, "");
    EXPECT_EQ(settingsWarningNote("a:1: warning: x\nb:2: warning: y\nc:3: warning: z\nd:4: warning: w\n"),
              "せっていファイルの もんだい:\na:1: x\nb:2: y\nc:3: z\nほか 1 けん");
}

// The command line's display is for its start only: the file keeps the player's choice unless the player changed
// the window during the game.
TEST_F(Controlling, ADisplayGivenForOneStartIsNotRemembered) {
    struct Case {
        const char* what;
        DisplayMode start, now;
        bool fullscreen;
        int32_t scale;
    };
    const Case cases[] = {
        {"--fullscreen --scale 3, left as it was", {true, 3}, {true, 3}, false, 2},
        {"--scale 3, resized to 4", {false, 3}, {false, 4}, false, 4},
        {"--fullscreen, left with F11", {true, 2}, {false, 2}, false, 2},
        {"no option, F11 into fullscreen", {false, 2}, {true, 2}, true, 2},
    };
    controls.settingsPath = "config/settings.toml";
    for (const Case& c : cases) {
        writeTextFile(controls.settingsPath, "[display]\nfullscreen = false\nscale = 2\n");
        std::ostringstream warnings;
        controls.settings = readSettings(controls.settingsPath, warnings);
        controls.startDisplay = c.start;
        rememberSettings(controls, c.now);
        const Settings file = readSettings(controls.settingsPath, warnings);
        EXPECT_EQ(file.display.fullscreen, c.fullscreen) << c.what;
        EXPECT_EQ(file.display.scale, c.scale) << c.what;
    }
}

// Esc opens the menu over a frozen game and lets go of what was held; its rows change the settings at once and in
// the file; quitting asks first when there is progress since the last save, and its answer starts on no.
TEST_F(Controlling, TheMenuChangesSettingsAtOnceAndAsksBeforeLosingProgress) {
    controls.settingsPath = (folder.path() / "settings.toml").string();
    game.scene = sceneField;
    key(vkRight, true);
    struct Step {
        int32_t key;
        bool open;
        int32_t row, asking, volume;
        bool quit;
    };
    const Step steps[] = {
        {vkEscape, true, rowResume, -1, 100, false}, {vkDown, true, rowMusic, -1, 100, false},
        {vkLeft, true, rowMusic, -1, 90, false},     {vkUp, true, rowResume, -1, 90, false},
        {vkUp, true, rowQuit, -1, 90, false},        {vkV, true, rowQuit, rowQuit, 90, false},
        {vkV, true, rowQuit, -1, 90, false},         {vkV, true, rowQuit, rowQuit, 90, false},
        {vkLeft, true, rowQuit, rowQuit, 90, false}, {vkV, true, rowQuit, -1, 90, true},
    };
    for (const Step& step : steps) {
        tap(step.key);
        EXPECT_EQ(game.menu.open, step.open) << step.key;
        EXPECT_EQ(game.menu.row, step.row) << step.key;
        EXPECT_EQ(game.menu.asking, step.asking) << step.key;
        EXPECT_EQ(game.menu.musicVolume, step.volume) << step.key;
        EXPECT_EQ(controls.quit, step.quit) << step.key;
        EXPECT_FALSE(anyKeyDown()) << "the held arrow was let go and the menu's keys never reach the game";
    }
    std::ostringstream warnings;
    EXPECT_EQ(readSettings(controls.settingsPath, warnings).musicVolume, 90);
    EXPECT_TRUE(musicHeld());
    tap(vkEscape);
    EXPECT_FALSE(game.menu.open);
    EXPECT_FALSE(musicHeld());
}

// A binding is changed by pressing the new key: taken and written, or refused when another action or the game has
// it; the new key then plays and the menu shows it.
TEST_F(Controlling, TheMenuBindsThePressedKeyAndRefusesATakenOne) {
    controls.settingsPath = (folder.path() / "settings.toml").string();
    tap(vkEscape);
    for (int32_t down = 0; down < rowKeys; ++down) tap(vkDown);
    tap(vkV);
    ASSERT_TRUE(game.menu.keyPage);
    const std::pair<int32_t, const char*> presses[] = {{vkW, ""},
                                                       {vkV, "そのキーは「はなす・しらべる」に つかわれています"},
                                                       {vkM, "そのキーは ゲームが つかっています"}};
    for (const auto& [pressed, refusal] : presses) {
        tap(vkV);
        ASSERT_TRUE(game.menu.waitingForKey);
        tap(pressed);
        EXPECT_FALSE(game.menu.waitingForKey);
        EXPECT_EQ(game.menu.refusal, refusal) << pressed;
    }
    EXPECT_EQ(controls.settings.keys[actWalkUp], std::vector<int32_t>{vkW});
    EXPECT_EQ(game.menu.keyNames[actWalkUp], "うえへ あるく　W");
    EXPECT_EQ(worldText(game, "{key:walk_up}{key:talk}"), "WV") << "the texts and hints name the bound key";
    std::ostringstream warnings;
    EXPECT_EQ(readSettings(controls.settingsPath, warnings).keys[actWalkUp], std::vector<int32_t>{vkW});
    EXPECT_EQ(warnings.str(), "");
    tap(vkEscape);
    tap(vkEscape);
    ASSERT_FALSE(game.menu.open);
    key(vkW, true);
    EXPECT_EQ(game.keyDown[vkUp], 1);
}
