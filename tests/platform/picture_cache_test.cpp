// Kept and decoded-ahead pictures: the same pixels as a picture decoded on the spot, edits seen, a missing
// picture still empty, the bound in bytes on the kept pictures, and a worker that stops cleanly.
#include "platform/picture_cache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "test_media.h"
#include "test_support.h"

namespace {

// Puts a file's times well in the past, as for pictures made before the game started.
void makeOld(const std::string& path, int64_t nanos = 0) {
    const time_t seconds = std::time(nullptr) - 100;
    const timespec times[2] = {{seconds, static_cast<long>(nanos)}, {seconds, static_cast<long>(nanos)}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A picture of two colours, so a decode that mixed rows up would show.
void writeTwoColourPicture(const std::string& path, int32_t width, int32_t height) {
    Canvas canvas = createCanvas(width, height);
    fillRect(canvas, 0, 0, width, height, 0xFF204060);
    fillRect(canvas, 0, 0, width / 3, height / 2, 0x80FF8000);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(saveCanvasPng(canvas, path));
    makeOld(path);
}

// The picture drawn on a fresh canvas of its size.
std::vector<uint32_t> pixelsOf(const Picture& picture) {
    Canvas canvas = createCanvas(pictureWidth(picture), pictureHeight(picture));
    drawPicture(canvas, picture, 0, 0);
    std::vector<uint32_t> pixels;
    for (int32_t y = 0; y < canvasHeight(canvas); ++y)
        for (int32_t x = 0; x < canvasWidth(canvas); ++x) pixels.push_back(canvasPixel(canvas, x, y));
    return pixels;
}

struct PictureCacheTest : ::testing::Test {
    TempFolder folder;
    void SetUp() override { stopPictureWorker(); }
    void TearDown() override { stopPictureWorker(); }
};

TEST_F(PictureCacheTest, APrefetchedPictureEqualsOneDecodedOnTheSpot) {
    writeTwoColourPicture("pict/map.png", 300, 200);
    startPictureWorker();
    prefetchPictures({"pict\\map.png", "pict\\missing.png"});
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_EQ(keptPictureCount(), 1u);

    const Picture prefetched = loadPicture("pict\\map.png");
    const Picture direct = decodePictureFile("pict/map.png");
    ASSERT_TRUE(pictureLoaded(prefetched));
    EXPECT_EQ(pictureWidth(prefetched), 300);
    EXPECT_EQ(pictureHeight(prefetched), 200);
    EXPECT_EQ(pixelsOf(prefetched), pixelsOf(direct));
    // Taken from the kept pictures, not decoded again.
    EXPECT_EQ(loadPicture("pict\\map.png").data.get(), prefetched.data.get());
}

TEST_F(PictureCacheTest, AMissingOrBrokenPictureStillDrawsNothing) {
    startPictureWorker();
    writeTextFile("pict/broken.png", "not a picture");
    makeOld("pict/broken.png");
    prefetchPictures({"pict\\missing.png", "pict\\broken.png"});
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_EQ(keptPictureCount(), 0u);

    Canvas canvas = createCanvas(20, 20);
    fillRect(canvas, 0, 0, 20, 20, 0xFF112233);
    for (const char* path : {"pict\\missing.png", "pict\\broken.png"}) {
        const Picture picture = loadPicture(path);
        EXPECT_FALSE(pictureLoaded(picture));
        drawPicture(canvas, picture, 0, 0);
        drawPictureRect(canvas, picture, 0, 0, 0, 0, 20, 20);
    }
    EXPECT_EQ(canvasPixel(canvas, 5, 5), 0xFF112233u);

    // A kept picture whose file is removed is gone too.
    writeTwoColourPicture("pict/gone.png", 10, 10);
    EXPECT_TRUE(pictureLoaded(loadPicture("pict\\gone.png")));
    std::filesystem::remove("pict/gone.png");
    EXPECT_FALSE(pictureLoaded(loadPicture("pict\\gone.png")));
}

TEST_F(PictureCacheTest, AnEditedPictureIsSeenBySizeOrByTime) {
    writeTestPicture("pict\\a.png", 10, 10, 0xFF0000FF);
    makeOld("pict/a.png");
    EXPECT_EQ(pixelsOf(loadPicture("pict\\a.png"))[0], 0xFF0000FFu);

    // Another colour: the same file size, one nanosecond newer.
    writeTestPicture("pict\\a.png", 10, 10, 0xFFFF0000);
    makeOld("pict/a.png", 1);
    EXPECT_EQ(pixelsOf(loadPicture("pict\\a.png"))[0], 0xFFFF0000u);

    // Another size.
    writeTestPicture("pict\\a.png", 30, 12, 0xFF00FF00);
    makeOld("pict/a.png", 1);
    const Picture wider = loadPicture("pict\\a.png");
    EXPECT_EQ(pictureWidth(wider), 30);
    EXPECT_EQ(pixelsOf(wider)[0], 0xFF00FF00u);
}

// The bound is in bytes: pictures the game asked for push out the least recently used; wishes push out what
// nobody wishes for, and the worker decodes only the wishes that fit beside the more wanted ones.
TEST_F(PictureCacheTest, KeptPicturesFitTheirBoundInBytesAndTheWishedForStay) {
    constexpr int64_t pictureBytes = 512 * 512 * 4;
    // The bound goes back to the game's own when the test ends, also when it fails half-way.
    struct LimitGuard {
        int64_t previous;
        ~LimitGuard() { setKeptPictureByteLimit(previous); }
    } guard{setKeptPictureByteLimit(3 * pictureBytes)};
    std::vector<std::string> paths;
    for (int32_t i = 0; i < 4; ++i) {
        writeTwoColourPicture("pict/screen" + std::to_string(i) + ".png", 512, 512);
        paths.push_back("pict\\screen" + std::to_string(i) + ".png");
    }
    std::vector<Picture> loaded;
    for (const std::string& path : paths) loaded.push_back(loadPicture(path));
    EXPECT_EQ(keptPictureCount(), 3u);
    EXPECT_EQ(keptPictureBytes(), 3 * pictureBytes);
    EXPECT_NE(loadPicture(paths[0]).data.get(), loaded[0].data.get());  // the least recently used was dropped
    EXPECT_EQ(loadPicture(paths[3]).data.get(), loaded[3].data.get());

    startPictureWorker();
    prefetchPictures({paths[1], paths[2]});
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_EQ(keptPictureCount(), 3u);
    const Picture first = loadPicture(paths[1]);
    const Picture second = loadPicture(paths[2]);
    EXPECT_EQ(loadPicture(paths[1]).data.get(), first.data.get());

    // Four wishes where three fit: the fourth is not decoded, and nothing wished for is pushed out.
    prefetchPictures(paths);
    ASSERT_TRUE(waitForPrefetch(-1));
    EXPECT_LE(keptPictureBytes(), 3 * pictureBytes);
    EXPECT_EQ(loadPicture(paths[1]).data.get(), first.data.get());
    EXPECT_EQ(loadPicture(paths[2]).data.get(), second.data.get());

    // A lower bound drops what is over it at once.
    setKeptPictureByteLimit(pictureBytes);
    EXPECT_EQ(keptPictureCount(), 1u);
}

TEST_F(PictureCacheTest, TheWorkerStopsCleanlyEvenInTheMiddleOfItsWork) {
    std::vector<std::string> paths;
    for (int32_t i = 0; i < 4; ++i) {
        writeTwoColourPicture("pict/big" + std::to_string(i) + ".png", 1200, 1100);
        paths.push_back("pict\\big" + std::to_string(i) + ".png");
    }
    startPictureWorker();
    EXPECT_TRUE(pictureWorkerRunning());
    prefetchPictures(paths);
    stopPictureWorker();
    EXPECT_FALSE(pictureWorkerRunning());
    EXPECT_EQ(keptPictureCount(), 0u);

    // Wishes while it is stopped are not taken up; pictures still load on the spot.
    prefetchPictures(paths);
    EXPECT_TRUE(waitForPrefetch(-1));
    EXPECT_EQ(keptPictureCount(), 0u);
    EXPECT_TRUE(pictureLoaded(loadPicture(paths[0])));

    // And it starts again.
    startPictureWorker();
    prefetchPictures({paths[1]});
    EXPECT_TRUE(waitForPrefetch(-1));
    EXPECT_EQ(keptPictureBytes(), 2 * 1200 * 1100 * 4);
}

}  // namespace
