// A game controller plugged in while the game runs, made with SDL's virtual joystick: its d-pad walks the hero
// and its A button talks, through the window's events, the bindings and the key tables, tick by tick.
#include <gtest/gtest.h>

#include <cstdlib>

#include <SDL.h>

#include "app/controls.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "game/frame_tick.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_support.h"

namespace {

class VirtualPad : public ::testing::Test {
protected:
    void SetUp() override {
        // No display is needed: SDL's dummy video driver gives the event queue the pads report through.
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_TRUE(startWindowSystem());
        useManualClock(1000);
        game.lastTickTime = clockMillis();
        giveDrawingSurfaces(game);
        game.scene = sceneField;
        game.heroLife = game.heroMaxLife = 100;
        game.heroLevel = 1;
        game.heroX = 300;
        game.heroY = 300;
        // The hero's area, and below it the area of a villager whose top edge lies 12 px under y 330.
        addArea(0, 0, 2000, 335);
        addArea(0, 342, 2000, 700);
        game.areas[1].npc.absent = false;
        game.areas[1].npc.lines = {SpeechLine{"こんにちは"}};
        game.currentArea = 0;
    }
    void TearDown() override {
        if (joystick) SDL_JoystickClose(joystick);
        if (device >= 0) SDL_JoystickDetachVirtual(device);
        stopWindowSystem();
    }

    void addArea(float left, float top, float right, float bottom) {
        AreaRecord area;
        area.polygon.vertices = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
        area.npc.absent = true;
        game.areas.push_back(area);
        game.areaCount = static_cast<int32_t>(game.areas.size());
    }

    // Every message waiting in the queue, through the same handler as the game's loop.
    void pumpMessages() {
        WindowEvent event;
        while (waitWindowEvent(event, 0)) handleInputEvent(game, controls, event);
    }
    void setButton(int32_t button, bool down) {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
        pumpMessages();
    }
    void tick(int count = 1) {
        for (int i = 0; i < count; ++i) {
            advanceManualClock(80);
            frameTick(game);
        }
    }

    GameState game;
    Controls controls;
    int device = -1;
    SDL_Joystick* joystick = nullptr;
};

}  // namespace

TEST_F(VirtualPad, TheDpadWalksTheHeroAndATalks) {
    pumpMessages();
    // Plugged in while the game runs: the window's messages open it as a game controller.
    device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                       SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    joystick = SDL_JoystickOpen(device);
    ASSERT_NE(joystick, nullptr);
    pumpMessages();

    setButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_EQ(game.keyDown[vkDown], 1);
    tick(3);
    EXPECT_EQ(game.heroY, 330);
    EXPECT_EQ(game.heroDir / 2, 0) << "facing down";
    setButton(SDL_CONTROLLER_BUTTON_DPAD_DOWN, false);
    EXPECT_EQ(game.keyDown[vkDown], 0);
    tick(2);
    EXPECT_EQ(game.heroY, 330) << "let go, the hero stands";

    setButton(SDL_CONTROLLER_BUTTON_A, true);
    EXPECT_TRUE(keyPressed(game, vkV));
    tick();
    EXPECT_EQ(game.scene, sceneMessage);
    EXPECT_EQ(game.messageLines[1], "こんにちは");
    setButton(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(game.keyLatch[vkV], 0);

    // The left stick walks too; pulled out while held, the pad lets go of the key.
    tick();
    game.scene = sceneField;
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -30000);
    pumpMessages();
    EXPECT_EQ(game.keyDown[vkUp], 1);
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_JoystickDetachVirtual(device);
    device = -1;
    pumpMessages();
    EXPECT_EQ(game.keyDown[vkUp], 0);
}
