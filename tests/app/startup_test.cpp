#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/game_state.h"
#include "core/keys.h"
#include "core/save_location.h"
#include "game/save_file.h"
#include "platform/audio.h"
#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"

namespace {

using Boxes = std::vector<std::pair<std::string, std::string>>;
const std::pair<std::string, std::string> pictureBox{"Quorvath", "画像フォルダが開けません"};
const std::pair<std::string, std::string> soundBox{"ZIZov", "サウンドファイルが開けません"};

class StartUp : public testing::Test {
protected:
    void SetUp() override {
        if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
        ASSERT_TRUE(writeStartUpMedia());
        useManualClock(1000);
        game = std::make_unique<GameState>();
    }
    void TearDown() override {
        if (game) shutDown(*game);
    }
    TempFolder folder;
    BoxCatcher boxes;
    std::unique_ptr<GameState> game;
};

}  // namespace

TEST_F(StartUp, CompleteWorldStartsOnTheTitleWithEverythingLoaded) {
    game->keyDown[vkV] = 1;
    game->keyLatch[vkV] = 1;
    advanceManualClock(234);
    ASSERT_TRUE(startUp(*game, true));
    EXPECT_EQ(boxes.boxes(), Boxes{});
    EXPECT_EQ(game->storyFlags[flagScreenMode], 3);
    EXPECT_EQ(game->scene, sceneFullScreen);
    EXPECT_EQ(game->keyDown[vkV], 0);
    EXPECT_EQ(game->keyLatch[vkV], 0);
    // Every picture read; the ending's are held only once it begins.
    for (int32_t i = 0; i < fixedPictureCount; ++i) {
        EXPECT_TRUE(game->pictureSources[i].read) << i;
        EXPECT_EQ(pictureLoaded(game->pictures[i]), !drawnByEndingOnly(i)) << i;
    }
    EXPECT_TRUE(fontValid(game->smallFont));
    EXPECT_TRUE(fontValid(game->largeFont));
    ASSERT_EQ(game->musicTracks.size(), 9u);
    EXPECT_EQ(game->musicTracks.at("title").number, 1);
    EXPECT_EQ(game->musicTracks.at("city").number, 9);
    EXPECT_EQ(canvasWidth(game->backBuffer), 900);
    EXPECT_EQ(canvasHeight(game->backBuffer), 600);
    EXPECT_EQ(canvasPixel(game->backBuffer, 450, 300), 0xFF000000u);
    EXPECT_EQ(game->lastTickTime, 1234u);
}

TEST_F(StartUp, MissingRequiredPictureStopsWithThePictureBoxBeforeAnyTrack) {
    std::filesystem::remove("pict/めにゅ.png");
    EXPECT_FALSE(startUp(*game, true));
    EXPECT_EQ(boxes.boxes(), Boxes{pictureBox});
    EXPECT_TRUE(game->musicTracks.empty());
    EXPECT_FALSE(canvasValid(game->backBuffer));
}

TEST_F(StartUp, SeveralBadRequiredPicturesShowOneBox) {
    std::filesystem::remove("pict/man.png");
    writeTextFile("pict/VS.png", "not a picture");
    EXPECT_FALSE(startUp(*game, true));
    EXPECT_EQ(boxes.boxes(), Boxes{pictureBox});
}

TEST_F(StartUp, MissingOptionalPicturesDoNotStopTheStart) {
    std::filesystem::remove("pict/TITLE.png");
    std::filesystem::remove("pict/めにゅd.png");
    EXPECT_TRUE(startUp(*game, true));
    EXPECT_EQ(boxes.boxes(), Boxes{});
    EXPECT_FALSE(pictureLoaded(game->pictures[picTitle]));
    EXPECT_FALSE(pictureLoaded(game->pictures[picMenuD]));
    EXPECT_TRUE(pictureLoaded(game->pictures[picMenu]));
}

TEST_F(StartUp, MissingOrUndecodableTrackStopsWithTheSoundBoxAfterAllPictures) {
    for (const char* badTrack : {"pict/Cave Scene  Ⅲ.mp3", "pict/文化祭２.mp3"}) {
        SCOPED_TRACE(badTrack);
        ASSERT_TRUE(writeStartUpMedia());
        if (std::string(badTrack).find("Ⅲ") != std::string::npos) {
            std::filesystem::remove(badTrack);
        } else {
            writeTextFile(badTrack, "ID3 this is plain text, not music");
        }
        BoxCatcher caught;
        GameState local;
        EXPECT_FALSE(startUp(local, true));
        EXPECT_EQ(caught.boxes(), Boxes{soundBox});
        for (const PictureSource& source : local.pictureSources) EXPECT_TRUE(source.read);
        EXPECT_FALSE(canvasValid(local.backBuffer));
        shutDown(local);
    }
}

TEST(KeyMessages, KeysOutsideTheTableAreIgnoredAndReleaseClearsTheLatch) {
    auto game = std::make_unique<GameState>();
    handleKeyDown(*game, -1);
    handleKeyDown(*game, 256);
    handleKeyUp(*game, 1000);
    handleKeyDown(*game, vkV);
    EXPECT_EQ(game->keyDown[vkV], 1);
    EXPECT_EQ(game->keyLatch[vkV], 0);  // the tick acts on V, not the window
    game->keyLatch[vkV] = 1;
    handleKeyUp(*game, vkV);
    EXPECT_EQ(game->keyDown[vkV], 0);
    EXPECT_EQ(game->keyLatch[vkV], 0);

    handleActivate(*game, false);
    EXPECT_EQ(game->windowInactive, 1);
    handleActivate(*game, true);
    EXPECT_EQ(game->windowInactive, 0);
}

TEST(KeyMessages, HoldingSSavesOnceAndASecondSaveNeedsARelease) {
    TempFolder folder;
    auto game = std::make_unique<GameState>();
    game->scene = sceneField;
    game->heroLife = game->heroMaxLife = 100;
    if (saveGame(*game) != 1) GTEST_SKIP() << "the save file is not written yet";
    std::filesystem::remove("gamedat.xml");
    std::filesystem::remove("gamedat.xml.bak");

    // Each press asks once; the next tick's file step writes what was asked.
    handleKeyDown(*game, vkS);
    EXPECT_EQ(game->keyLatch[vkS], 1);
    runFileRequests(*game);
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
    std::filesystem::remove("gamedat.xml");
    std::filesystem::remove("gamedat.xml.bak");
    handleKeyDown(*game, vkS);  // auto-repeat of the held key
    runFileRequests(*game);
    EXPECT_FALSE(std::filesystem::exists("gamedat.xml"));
    handleKeyUp(*game, vkS);
    handleKeyDown(*game, vkS);
    runFileRequests(*game);
    EXPECT_TRUE(std::filesystem::exists("gamedat.xml"));
}

TEST(KeyMessages, LIsLatchedWhenActedOnUntilReleased) {
    TempFolder folder;
    BoxCatcher boxes;
    auto game = std::make_unique<GameState>();
    handleKeyDown(*game, vkL);
    EXPECT_EQ(game->keyDown[vkL], 1);
    EXPECT_EQ(game->keyLatch[vkL], 1);
    handleKeyUp(*game, vkL);
    EXPECT_EQ(game->keyLatch[vkL], 0);
}
