// The screens drawn into the back buffer, checked pixel by pixel, and the fading hit circles.
#include "game/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "combat/effects.h"
#include "core/actions.h"
#include "core/frame_shown.h"
#include "core/game_state.h"
#include "game/menus.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "test_support.h"

namespace {

uint32_t rgbOf(uint32_t argb) {
    return argb & 0x00FFFFFFu;
}

// The brightest red, green or blue byte.
uint32_t brightness(uint32_t argb) {
    const uint32_t r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return std::max({r, g, b});
}

bool anyPixel(const Canvas& canvas, int32_t x0, int32_t y0, int32_t x1, int32_t y1, auto test) {
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            if (test(canvasPixel(canvas, x, y))) return true;
    return false;
}

bool isWhitish(uint32_t argb) {
    return ((argb >> 16) & 0xFF) > 200 && ((argb >> 8) & 0xFF) > 200 && (argb & 0xFF) > 200;
}

bool isReddish(uint32_t argb) {
    return ((argb >> 16) & 0xFF) > 200 && ((argb >> 8) & 0xFF) < 60 && (argb & 0xFF) < 60;
}

bool isBlack(uint32_t argb) {
    return rgbOf(argb) == 0;
}

// A one-colour picture written with our own canvas and read back like any picture of the game.
Picture solidPicture(const std::string& file, int32_t width, int32_t height, uint32_t argb) {
    Canvas picture = createCanvas(width, height);
    fillRect(picture, 0, 0, width, height, argb);
    std::filesystem::create_directories("pict");
    EXPECT_TRUE(saveCanvasPng(picture, "pict/" + file));
    return loadPicture("pict\\" + file);
}

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        giveDrawingSurfaces(game);
        ASSERT_TRUE(canvasValid(game.backBuffer));
    }
    void blackOut() { fillRect(game.backBuffer, 0, 0, 900, 600, colourBlack); }

    TempFolder folder;
    GameState game;
};

}  // namespace

TEST(Effects, SpawnTakesTheFirstFreeRecordAndSixteenthIsLost) {
    GameState game;
    spawnEffect(game, 100, 120, 4);
    const EffectRecord& first = game.effects[0];
    EXPECT_EQ(first.ticksLeft, 6);
    EXPECT_FLOAT_EQ(first.x, 100);
    EXPECT_FLOAT_EQ(first.endY, 120);
    EXPECT_EQ(first.rgb, 0xFF0000u);
    EXPECT_FLOAT_EQ(first.stepScale, 0.25f);
    EXPECT_FLOAT_EQ(first.stepX, 0);

    spawnEffect(game, 1, 1, 2);
    EXPECT_EQ(game.effects[1].rgb, 0x444444u);
    spawnEffect(game, 1, 1, 3);
    EXPECT_EQ(game.effects[2].rgb, 0x888888u);
    for (int32_t i = 3; i < effectCount; ++i) spawnEffect(game, 1, 1, 1);
    EXPECT_EQ(game.effects[14].rgb, 0xFFFFFFu);

    const auto before = game.effects;
    spawnEffect(game, 5, 5, 4);
    for (int32_t i = 0; i < effectCount; ++i) EXPECT_FLOAT_EQ(game.effects[i].x, before[i].x);

    // A freed record is reused; an unknown kind keeps the old colour without a top byte.
    game.effects[1].ticksLeft = 0;
    game.effects[1].rgb = 0xAB123456u;
    spawnEffect(game, 7, 7, 9);
    EXPECT_EQ(game.effects[1].ticksLeft, 6);
    EXPECT_EQ(game.effects[1].rgb, 0x123456u);
}

TEST_F(Screens, EffectGrowsAndFadesOverItsSixTicks) {
    spawnEffect(game, 300, 300, 1);
    const float diameters[] = {24, 32, 40, 48, 56, 64};
    uint32_t lastCentre = 256;
    for (float d : diameters) {
        blackOut();
        advanceEffects(game);
        drawShown(game, game.backBuffer);
        const int32_t radius = static_cast<int32_t>(d / 2);
        EXPECT_FALSE(isBlack(canvasPixel(game.backBuffer, 300 + radius - 2, 300))) << d;
        EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 300 + radius + 2, 300))) << d;
        EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 300, 300 - radius - 2))) << d;
        const uint32_t centre = brightness(canvasPixel(game.backBuffer, 300, 300));
        EXPECT_LT(centre, lastCentre);
        lastCentre = centre;
    }
    // 0.2 of white over black at the end, about 0.87 at the start.
    EXPECT_NEAR(static_cast<int>(lastCentre), 51, 3);
    EXPECT_EQ(game.effects[0].ticksLeft, 0);
    blackOut();
    advanceEffects(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 300, 300)));
}

TEST_F(Screens, GameOverIsBlackWithRedAndWhiteText) {
    fillRect(game.backBuffer, 0, 0, 900, 600, 0xFF336699u);
    showGameOver(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 5, 5)));
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 895, 595)));
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 300, 300)));
    EXPECT_TRUE(anyPixel(game.backBuffer, 350, 200, 470, 228, isReddish));
    EXPECT_FALSE(anyPixel(game.backBuffer, 0, 0, 900, 195, [](uint32_t p) { return !isBlack(p); }));
    EXPECT_TRUE(anyPixel(game.backBuffer, 320, 400, 560, 422, isWhitish));
    EXPECT_FALSE(anyPixel(game.backBuffer, 0, 230, 900, 395, [](uint32_t p) { return !isBlack(p); }));
}

TEST_F(Screens, StatusBlockStandsAtItsPlaceOneNumberALine) {
    blackOut();
    game.heroLife = 88;
    game.heroMaxLife = 120;
    game.heroLevel = 4;
    game.heroExp = 33;
    game.heroPowder = 250;
    game.heroMoney = 1234;
    showSidePanel(game);
    drawShown(game, game.backBuffer);
    // Five lines of 16 px text from (750, 75); nothing left of it or above it in the panel but the map name row.
    for (int32_t line = 0; line < 5; ++line) {
        const int32_t top = 75 + line * 17;
        EXPECT_TRUE(anyPixel(game.backBuffer, 750, top, 830, top + 17, isWhitish)) << line;
    }
    EXPECT_FALSE(anyPixel(game.backBuffer, 750, 165, 900, 175, isWhitish));
    EXPECT_FALSE(anyPixel(game.backBuffer, 600, 40, 748, 170, isWhitish));
    EXPECT_FALSE(anyPixel(game.backBuffer, 750, 45, 900, 74, isWhitish));
}

TEST_F(Screens, MessageWindowAtTheBottomWithTwoLines) {
    game.pictures[picWhitebox] = solidPicture("whitebox.png", 600, 80, colourWhite);
    game.messageLines[0] = "";
    game.messageLines[1] = "こんにちは";
    game.messageLineCount = 2;
    blackOut();
    showMessageWindow(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 0, 520)));
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 0, 519)));
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 599, 599)));
    // The first page: an empty top line and line 1 at the bottom.
    EXPECT_FALSE(anyPixel(game.backBuffer, 0, 521, 600, 556, [](uint32_t p) { return !isWhitish(p); }));
    EXPECT_TRUE(anyPixel(game.backBuffer, 15, 560, 200, 585, [](uint32_t p) { return brightness(p) < 60; }));
}

TEST_F(Screens, SideMenuCursorMarksThePage) {
    game.pictures[picSannkaku] = solidPicture("sannkaku.png", 20, 20, colourRed);
    game.scene = sceneSideMenu;
    for (int32_t page = 0; page < 3; ++page) {
        blackOut();
        game.menuCursor = page;
        runSideMenu(game);
        drawShown(game, game.backBuffer);
        const int32_t y = 308 + 48 * page;
        EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 640, y))) << page;
        EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 659, y + 19))) << page;
        EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 639, y))) << page;
        EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 640, y - 1))) << page;
    }
}

TEST_F(Screens, PageIconsComeFromTheirCellAndAHugeIconNumberDrawsNone) {
    game.pictures[picWicon] = solidPicture("Wicon.png", 400, 50, colourRed);
    game.scene = sceneSideMenu;
    game.weaponSpace.fly = 1;
    game.menuCursor = 0;
    blackOut();
    runSideMenu(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 155, 230)));
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 204, 279)));
    EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 154, 230)));

    game.itemCounts.fill(0);
    game.itemCounts[0] = 1;
    game.selectedItemId = 0;
    game.selectedItem.id = 0;
    game.selectedItem.pict = 0;
    game.menuCursor = 2;
    blackOut();
    runSideMenu(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 153, 230)));
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 202, 279)));

    // A cell number past every picture draws nothing rather than wrapping round onto another icon.
    game.selectedItem.pict = INT32_MAX;
    blackOut();
    runSideMenu(game);
    drawShown(game, game.backBuffer);
    EXPECT_FALSE(anyPixel(game.backBuffer, 153, 230, 203, 280, isReddish));
}

TEST_F(Screens, EndingFadesToWhiteTickByTick) {
    game.frameCounter = 1000;
    game.sceneMarkFrame = 880;  // 120 ticks: no fade yet
    blackOut();
    showEndingSequence(game);
    drawShown(game, game.backBuffer);
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 10, 10)));
    uint32_t last = 0;
    for (int32_t tick = 0; tick < 150; ++tick) {
        game.frameCounter += 1;
        showEndingSequence(game);
        drawShown(game, game.backBuffer);
        const uint32_t now = brightness(canvasPixel(game.backBuffer, 10, 10));
        if (tick < 40) {
            EXPECT_GT(now, last) << tick;
        }
        EXPECT_GE(now, last);
        last = now;
    }
    EXPECT_GT(last, 0xE0u);
}

TEST_F(Screens, TitleCursorRowsAndTheSharedValueTwo) {
    game.pictures[picSannkakuBlack] = solidPicture("sannkakublack.png", 20, 20, colourRed);
    for (int32_t row = 0; row < 3; ++row) {
        blackOut();
        game.menuCursor = row;
        showTitle(game);
        drawShown(game, game.backBuffer);
        EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 220, 430 + 40 * row))) << row;
        EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 220, 429 + 40 * row))) << row;
    }
}

TEST_F(Screens, EveryJapaneseTextHasItsGlyphs) {
    if (!std::filesystem::exists("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"))
        GTEST_SKIP() << "IPAGothic is not installed";
    ASSERT_TRUE(fontValid(game.smallFont));
    WeaponSlot sword, gun;
    gun.fly = 1;
    ItemRecord item;
    std::vector<std::string> texts = {
        "GAME OVER",     "セーブしたところにもどります", "スペースキーのぶき",      "Bキーのぶき",           "どうぐ",
        "やくそう\t3こ", weaponNumbersText(sword, 0),    weaponNumbersText(gun, 1), "0 / 0\n0\n0 / 0\n0g\n0"};
    for (int32_t type = 0; type <= 4; ++type) {
        item.type = type;
        texts.push_back(itemEffectText(item));
    }
    for (const std::string& text : texts) {
        EXPECT_EQ(missingGlyphCount(game.smallFont, text), 0) << text;
        EXPECT_EQ(missingGlyphCount(game.largeFont, text), 0) << text;
    }
}

TEST_F(Screens, FieldCameraKeepsTheHeroAtTheViewCentre) {
    Canvas map = createCanvas(1000, 1000);
    fillRect(map, 400, 407, 10, 10, colourRed);
    std::filesystem::create_directories("pict");
    ASSERT_TRUE(saveCanvasPng(map, "pict/map.png"));
    game.mapImage = loadPicture("pict\\map.png");
    game.heroX = 400;
    game.heroY = 407;
    fillRect(game.backBuffer, 0, 0, 900, 600, 0xFF336699u);
    showField(game);
    drawShown(game, game.backBuffer);
    // The view's top-left is (heroX - 300, heroY - 307) of the map.
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 300, 307)));
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 309, 316)));
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 299, 307)));
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 300, 306)));
    // Only the 600 x 600 view is drawn; the side panel's place keeps the last frame.
    EXPECT_EQ(rgbOf(canvasPixel(game.backBuffer, 650, 300)), 0x336699u);
}

TEST_F(Screens, PresentationSlidesInThenTheVsShakes) {
    game.pictures[picMycutin] = solidPicture("mycutin.png", 100, 100, colourRed);
    game.boss.cutinImage = solidPicture("cutin.png", 100, 100, colourWhite);
    game.pictures[picVs] = solidPicture("vs.png", 50, 50, 0xFF00FF00u);
    game.bossPhase = phaseCutIn;
    game.sceneMarkFrame = 100;
    const auto drawAt = [this](uint32_t elapsed) {
        blackOut();
        game.frameCounter = 100 + elapsed;
        showArena(game);
        drawShown(game, game.backBuffer);
    };
    drawAt(1);
    EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 0, 250)));
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 550, 250)));
    drawAt(3);
    EXPECT_FALSE(isReddish(canvasPixel(game.backBuffer, 0, 250)));
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 350, 250)));
    drawAt(4);
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 0, 250)));
    EXPECT_TRUE(isReddish(canvasPixel(game.backBuffer, 99, 299)));
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 200, 250)));
    EXPECT_FALSE(isWhitish(canvasPixel(game.backBuffer, 300, 250)));
    EXPECT_TRUE(isWhitish(canvasPixel(game.backBuffer, 230, 260))) << "no VS before the eighth tick";
    // From the eighth tick the VS mark stands at (225, 250 + 3k), k the frame count mod 3.
    for (uint32_t elapsed = 8; elapsed < 11; ++elapsed) {
        drawAt(elapsed);
        const int32_t top = 250 + 3 * static_cast<int32_t>((100 + elapsed) % 3);
        EXPECT_EQ(rgbOf(canvasPixel(game.backBuffer, 225, top)), 0x00FF00u) << elapsed;
        EXPECT_NE(rgbOf(canvasPixel(game.backBuffer, 225, top - 1)), 0x00FF00u) << elapsed;
    }
    game.bossPhase = phaseFight;
    drawAt(9);
    EXPECT_TRUE(isBlack(canvasPixel(game.backBuffer, 0, 250)));
}

TEST_F(Screens, HintsNameTheBoundKeysOnlyOnceThePlayerBindsOthers) {
    // The pictures in one colour: a hint written anew shows as other pixels in its box.
    constexpr uint32_t ground = 0xFF35488Eu;
    game.pictures[picSidePanel] = solidPicture("panel.png", 300, 600, ground);
    game.pictures[picTitle] = solidPicture("title.png", 700, 420, ground);
    struct Case {
        int32_t action;  // bound to F5 instead; -1 keeps a new player's keys
        bool title;
        int32_t x0, y0, x1, y1;  // the hint's box on the screen
        bool written;
    };
    const Case cases[] = {
        {-1, false, 618, 464, 882, 584, false},
        {actSave, false, 618, 464, 882, 584, true},
        {actAttackSpace, false, 618, 172, 750, 218, true},
        {actAttackB, false, 660, 352, 874, 380, true},
        {-1, true, 430, 426, 688, 506, false},
        {actTalk, true, 430, 426, 688, 506, true},
    };
    for (const Case& c : cases) {
        blackOut();
        std::array<std::vector<int32_t>, actionCount> keys = defaultActionKeys();
        if (c.action >= 0) keys[static_cast<size_t>(c.action)] = {vkF5};
        game.keyNames = boundKeyNames(keys);
        c.title ? showTitle(game) : showSidePanel(game);
        drawShown(game, game.backBuffer);
        EXPECT_EQ(anyPixel(game.backBuffer, c.x0, c.y0, c.x1, c.y1, [](uint32_t p) { return rgbOf(p) != 0x35488Eu; }),
                  c.written)
            << c.action << " " << c.title;
    }
}

TEST_F(Screens, GameOverStandsInTheMiddleOfTheScreen) {
    showGameOver(game);
    drawShown(game, game.backBuffer);
    int32_t left = 900, right = 0;
    for (int32_t y = 200; y < 230; ++y)
        for (int32_t x = 0; x < 900; ++x)
            if (isReddish(canvasPixel(game.backBuffer, x, y))) left = std::min(left, x), right = std::max(right, x);
    EXPECT_NEAR(left, 899 - right, 3) << left << " " << right;
}
