// The ending's panorama is not held on the title, yet the title draws its part of it exactly, from the world's
// file or the language's; the ending holds the panorama until the title comes again.
#include "game/picture_holding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/frame_shown.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "game/translation.h"
#include "game/view.h"
#include "test_support.h"

namespace {

// A panorama of coloured columns, each 7 pixels wide, so a part taken from the wrong place shows.
void writePanorama(const std::string& path, int32_t width, int32_t height) {
    Canvas panorama = createCanvas(width, height);
    for (int32_t x = 0; x < width; x += 7) fillRect(panorama, x, 0, 7, height, 0xFF000000u | (x * 2654435761u >> 8));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(saveCanvasPng(panorama, path));
}

bool sameScreen(const Canvas& a, const Canvas& b) {
    int32_t strideA = 0, strideB = 0;
    const uint8_t* bytesA = canvasBytes(a, strideA);
    const uint8_t* bytesB = canvasBytes(b, strideB);
    return strideA == strideB && std::memcmp(bytesA, bytesB, static_cast<size_t>(strideA) * screenHeight) == 0;
}

// The title drawn over grey, against the panorama's rectangle drawn straight from the file.
void expectTitleDrawsItsPart(GameState& game, const std::string& file) {
    fillRect(game.backBuffer, 0, 0, screenWidth, screenHeight, 0xFF808080u);
    showTitle(game);
    drawShown(game, game.backBuffer);
    Canvas expected = createCanvas(screenWidth, screenHeight);
    fillRect(expected, 0, 0, screenWidth, screenHeight, 0xFF808080u);
    drawPictureRect(expected, readFixedPicture(picEnd, file), 0, 0, titlePanoramaX, 0, screenWidth, screenHeight);
    EXPECT_TRUE(sameScreen(game.backBuffer, expected)) << file;
}

}  // namespace

TEST(PictureHolding, TheTitleDrawsItsPartOfThePanoramaWithoutHoldingIt) {
    TempFolder folder;
    // Wider than the title's part, ending inside it, and too narrow to reach it.
    for (const auto& [width, height] : {std::pair{3000, 600}, std::pair{2500, 300}, std::pair{100, 50}}) {
        auto game = std::make_unique<GameState>();
        giveDrawingSurfaces(*game);
        writePanorama("pict/END.png", width, height);
        takeFixedPicture(*game, picEnd, "pict\\END.png", readFixedPicture(picEnd, "pict\\END.png"));
        EXPECT_FALSE(pictureLoaded(game->pictures[picEnd]));
        EXPECT_TRUE(game->pictureSources[picEnd].read);
        EXPECT_EQ(game->pictureSources[picEnd].width, width);
        expectTitleDrawsItsPart(*game, "pict\\END.png");

        // The ending's walk holds the whole panorama; the title lets it go again.
        game->heroX = 2400;
        showEndingWalk(*game);
        drawShown(*game, game->backBuffer);
        EXPECT_EQ(pictureWidth(game->pictures[picEnd]), width);
        expectTitleDrawsItsPart(*game, "pict\\END.png");
        EXPECT_FALSE(pictureLoaded(game->pictures[picEnd]));
    }
}

TEST(PictureHolding, ALanguagesPanoramaGivesTheTitleItsPart) {
    TempFolder folder;
    writePanorama("pict/END.png", 3000, 600);
    writePanorama("lang/en/pict/END.png", 3010, 600);
    writeTextFile("lang/en.po", "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n");
    auto game = std::make_unique<GameState>();
    giveDrawingSurfaces(*game);
    takeFixedPicture(*game, picEnd, "pict\\END.png", readFixedPicture(picEnd, "pict\\END.png"));
    std::vector<CatalogueProblem> problems;
    chooseLanguage(*game, "en", "game-lang", problems);
    EXPECT_EQ(game->pictureSources[picEnd].file, "lang\\en\\pict\\END.png");
    expectTitleDrawsItsPart(*game, "lang\\en\\pict\\END.png");
    chooseLanguage(*game, "", "game-lang", problems);
    expectTitleDrawsItsPart(*game, "pict\\END.png");
}
