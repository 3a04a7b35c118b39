#include "platform/graphics.h"
#include "platform/picture_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "test_media.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// The PngSuite lies beside the project; worktrees sit one level deeper.
fs::path pngSuiteFolder() {
    const fs::path source(QUORVATH_SOURCE_DIR);
    for (const fs::path& candidate :
         {source / ".." / "shared" / "testdata" / "pngsuite", source / ".." / ".." / "shared" / "testdata" / "pngsuite",
          fs::path("/work/shared/testdata/pngsuite")}) {
        if (fs::is_directory(candidate)) return candidate;
    }
    return {};
}

std::vector<unsigned char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t bigEndian(const std::vector<unsigned char>& bytes, std::size_t at) {
    return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) |
           bytes[at + 3];
}

// A 4 x 2 picture of eight distinct opaque colours, written by our own canvas.
const uint32_t sampleColours[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00,
                                   0xFF00FFFF, 0xFFFF00FF, 0xFF808080, 0xFFFFFFFF};
Picture makeSamplePicture(const std::string& file) {
    Canvas canvas = createCanvas(4, 2);
    for (int i = 0; i < 8; ++i) fillRect(canvas, i % 4, i / 4, 1, 1, sampleColours[i]);
    EXPECT_TRUE(saveCanvasPng(canvas, file));
    return loadPicture(file);
}

}  // namespace

TEST(Graphics, EveryValidPngSuitePictureLoadsWithItsTrueSizeAndEveryCorruptOneDrawsNothing) {
    const fs::path folder = pngSuiteFolder();
    if (folder.empty()) GTEST_SKIP() << "PngSuite not found";
    Canvas canvas = createCanvas(64, 64);
    int valid = 0, corrupt = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png") continue;
        testing::internal::CaptureStderr();
        const Picture picture = loadPicture(entry.path().string());
        drawPicture(canvas, picture, 0, 0);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(printed, "") << name;
        if (name[0] == 'x') {
            ++corrupt;
            EXPECT_FALSE(pictureLoaded(picture)) << name;
            EXPECT_EQ(pictureWidth(picture), 0) << name;
        } else {
            ++valid;
            const auto bytes = fileBytes(entry.path());
            ASSERT_GE(bytes.size(), 24u) << name;
            ASSERT_TRUE(pictureLoaded(picture)) << name;
            EXPECT_EQ(static_cast<uint32_t>(pictureWidth(picture)), bigEndian(bytes, 16)) << name;
            EXPECT_EQ(static_cast<uint32_t>(pictureHeight(picture)), bigEndian(bytes, 20)) << name;
        }
    }
    EXPECT_GT(valid, 100);
    EXPECT_GT(corrupt, 10);
}

TEST(Graphics, MissingPictureIsEmptyAndDrawingItOrOnAnEmptyCanvasDoesNothing) {
    TempFolder folder;
    const Picture missing = loadPicture("pict\\none.png");
    EXPECT_FALSE(pictureLoaded(missing));
    Canvas canvas = createCanvas(8, 8);
    drawPicture(canvas, missing, 0, 0);
    EXPECT_EQ(canvasPixel(canvas, 0, 0), 0xFF000000u);

    Canvas empty;
    drawPicture(empty, makeSamplePicture("a.png"), 0, 0);
    fillRect(empty, 0, 0, 4, 4, 0xFFFFFFFF);
    EXPECT_EQ(canvasPixel(empty, 0, 0), 0u);
    EXPECT_FALSE(saveCanvasPng(empty, "b.png"));
}

TEST(Graphics, NewCanvasIsOpaqueBlackAndFillsBlendByAlpha) {
    Canvas canvas = createCanvas(900, 600);
    ASSERT_TRUE(canvasValid(canvas));
    EXPECT_EQ(canvasWidth(canvas), 900);
    EXPECT_EQ(canvasHeight(canvas), 600);
    EXPECT_EQ(canvasPixel(canvas, 899, 599), 0xFF000000u);
    EXPECT_EQ(canvasPixel(canvas, 900, 0), 0u);

    fillRect(canvas, 10, 10, 5, 5, 0x80FFFFFF);
    const uint32_t blended = canvasPixel(canvas, 12, 12);
    EXPECT_EQ(blended >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 2);
    EXPECT_EQ(canvasPixel(canvas, 15, 12), 0xFF000000u);

    fillEllipse(canvas, 100, 100, 40, 20, 0xFFFF0000);
    EXPECT_EQ(canvasPixel(canvas, 120, 110), 0xFFFF0000u);
    EXPECT_EQ(canvasPixel(canvas, 101, 101), 0xFF000000u);

    drawLine(canvas, 200, 300, 260, 300, 0xFF00FF00, 3.0f);
    EXPECT_EQ(canvasPixel(canvas, 230, 300), 0xFF00FF00u);
    EXPECT_EQ(canvasPixel(canvas, 230, 305), 0xFF000000u);
}

TEST(Graphics, SourceRectanglesMapPixelForPixelAndPartsOutsideThePictureDrawNothing) {
    TempFolder folder;
    const Picture picture = makeSamplePicture("sample.png");
    ASSERT_TRUE(pictureLoaded(picture));
    ASSERT_EQ(pictureWidth(picture), 4);
    ASSERT_EQ(pictureHeight(picture), 2);

    Canvas canvas = createCanvas(20, 20);
    drawPicture(canvas, picture, 3, 4);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(canvasPixel(canvas, 3 + i % 4, 4 + i / 4), sampleColours[i]) << i;
    EXPECT_EQ(canvasPixel(canvas, 7, 4), 0xFF000000u);

    // A 3 x 3 rectangle from (2, -1): only the picture's (2..3, 0..1) lands, one row and two columns in.
    Canvas second = createCanvas(20, 20);
    drawPictureRect(second, picture, 10, 10, 2, -1, 3, 3);
    EXPECT_EQ(canvasPixel(second, 10, 10), 0xFF000000u);
    EXPECT_EQ(canvasPixel(second, 10, 11), sampleColours[2]);
    EXPECT_EQ(canvasPixel(second, 11, 11), sampleColours[3]);
    EXPECT_EQ(canvasPixel(second, 11, 12), sampleColours[7]);
    EXPECT_EQ(canvasPixel(second, 12, 11), 0xFF000000u);
    EXPECT_EQ(canvasPixel(second, 10, 13), 0xFF000000u);

    drawPictureRect(second, picture, 0, 0, 4, 0, 2, 2);
    drawPictureRect(second, picture, 0, 0, 0, 0, -2, 2);
    EXPECT_EQ(canvasPixel(second, 0, 0), 0xFF000000u);
}

TEST(Graphics, SavedCanvasIsAnEightBitRgbaNonInterlacedPngThatLoadsBack) {
    TempFolder folder;
    Canvas canvas = createCanvas(900, 600);
    fillRect(canvas, 0, 0, 1, 1, 0xFF123456);
    ASSERT_TRUE(saveCanvasPng(canvas, "shot.png"));
    const auto bytes = fileBytes("shot.png");
    ASSERT_GE(bytes.size(), 29u);
    EXPECT_EQ(bigEndian(bytes, 16), 900u);
    EXPECT_EQ(bigEndian(bytes, 20), 600u);
    EXPECT_EQ(bytes[24], 8);  // bit depth
    EXPECT_EQ(bytes[25], 6);  // RGBA
    EXPECT_EQ(bytes[28], 0);  // not interlaced
    Canvas back = createCanvas(900, 600);
    drawPicture(back, loadPicture("shot.png"), 0, 0);
    EXPECT_EQ(canvasPixel(back, 0, 0), 0xFF123456u);
    EXPECT_FALSE(saveCanvasPng(canvas, "no/such/folder/shot.png"));
}

TEST(Graphics, TextDrawsWithTheGamesFontAndTabsMoveToTheNextStop) {
    const Font small = createFont(16);
    const Font large = createFont(20);
    ASSERT_TRUE(fontValid(small));
    ASSERT_TRUE(fontValid(large));
    EXPECT_EQ(missingGlyphCount(small, "画像フォルダが開けません ABC 123"), 0);
    EXPECT_GT(missingGlyphCount(small, "\xF3\xB0\x80\x80"), 0);  // a private-use character no font has
    EXPECT_EQ(missingGlyphCount(small, std::string("bad \xFF bytes")), missingGlyphCount(small, "bad ? bytes"));

    // Rightmost lit column of a drawn text: a tab pushes the second word past the first stop.
    auto rightmostLit = [](const Font& font, const std::string& text) {
        Canvas canvas = createCanvas(400, 60);
        drawText(canvas, font, text, 0, 0, 0xFFFFFFFF);
        int right = -1;
        for (int x = 0; x < 400; ++x)
            for (int y = 0; y < 60; ++y)
                if (canvasPixel(canvas, x, y) != 0xFF000000u) right = std::max(right, x);
        return right;
    };
    const int plain = rightmostLit(small, "a");
    const int tabbed = rightmostLit(small, "a\ta");
    const int twoTabs = rightmostLit(small, "a\t\ta");
    EXPECT_GE(plain, 0);
    EXPECT_GT(tabbed, plain + 40);
    EXPECT_EQ(twoTabs - tabbed, tabbed - plain);
    // A second line goes below the first.
    Canvas lines = createCanvas(100, 100);
    drawText(lines, large, "A\nA", 0, 0, 0xFFFFFFFF);
    int lowest = -1;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if (canvasPixel(lines, x, y) != 0xFF000000u) lowest = y;
    EXPECT_GT(lowest, 30);
}

// A text of any length is laid out only as far as the picture could ever show it: each line up to its 256th
// character (counted in characters, not bytes), up to the 64th line. Shorter texts are drawn whole.
TEST(Graphics, OnlyTheShowablePartOfAHugeTextIsDrawn) {
    for (const std::string& text : {std::string(), std::string("けんのながさ\t30\nけんのつよさ\t2\n"),
                                    std::string(256, 'W'), std::string(63, '\n'), std::string("\xFF\xFE bad")}) {
        EXPECT_EQ(drawnPart(text), text);
    }
    EXPECT_EQ(drawnPart(std::string(1 << 20, 'W')), std::string(256, 'W'));
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "道";
    EXPECT_EQ(drawnPart(wide + "\n" + wide), wide.substr(0, 256 * 3) + "\n" + wide.substr(0, 256 * 3));
    std::string manyLines;
    for (int i = 0; i < 100; ++i) manyLines += "l" + std::to_string(i) + "\n";
    const std::string shown = drawnPart(manyLines);
    EXPECT_EQ(shown.substr(shown.rfind('\n') + 1), "l63");

    // What lies beyond the cut is never on the picture: a line of the narrowest characters at the limit is wider
    // than the picture already, and the lines at the limit reach below it, in the smaller font.
    const Font small = createFont(16);
    for (const char narrow : {'i', 'l', '.', ' ', '|', '\''}) {
        int32_t width = 0, height = 0;
        textSize(small, std::string(drawnLineLimit, narrow) + "x", width, height);
        EXPECT_GT(width, 900) << narrow;
    }
    int32_t width = 0, height = 0;
    textSize(small, std::string(drawnLinesLimit - 1, '\n') + "x", width, height);
    EXPECT_GT(height, 600);
}

TEST(Graphics, PicturesAreReadOnlyFromRegularFilesSoAPipeNeverBlocks) {
    TempFolder folder;
    std::filesystem::create_directories("pict/folder.png");
    ASSERT_EQ(mkfifo("pict/pipe.png", 0600), 0);
    EXPECT_FALSE(pictureLoaded(loadPicture("pict\\folder.png")));
    EXPECT_FALSE(pictureLoaded(loadPicture("pict\\pipe.png")));  // would wait for a writer for ever
}

// The size comes from the header before anything is decoded: beyond 8192 a side or 4096 x 4096 pixels in all the
// picture is refused and named on standard error; at the limits it is decoded (here it then fails as broken
// data, silently, as any broken picture does).
TEST(Graphics, PicturesBeyondTheSizeLimitsAreRefusedFromTheirHeaderWithTheirName) {
    TempFolder folder;
    writeDeclaredPng("pict/huge.png", 20000, 20000);
    writeDeclaredPng("pict/many.png", 5000, 4000);
    writeDeclaredPng("pict/atlimit.png", 4096, 4096);
    int32_t width = 0, height = 0;
    ASSERT_TRUE(readPictureSize("pict/huge.png", width, height));
    EXPECT_EQ(width, 20000);
    EXPECT_EQ(height, 20000);

    for (const char* name : {"huge", "many"}) {
        testing::internal::CaptureStderr();
        EXPECT_FALSE(pictureLoaded(loadPicture(std::string("pict\\") + name + ".png", PathNamer::worldData)));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(std::string("pict/") + name + ".png: refused: the picture is"), std::string::npos) << said;
    }
    std::string refusal;
    EXPECT_FALSE(pictureLoaded(decodePictureFile("pict/huge.png", &refusal)));
    EXPECT_EQ(refusal,
              "the picture is 20000 x 20000 pixels, beyond the game's limit of 8192 a side and 16777216 "
              "pixels in all");
    refusal.clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(pictureLoaded(decodePictureFile("pict/atlimit.png", &refusal)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(refusal, "");

    // Real pictures: one pixel past the side limit is refused, at the limit it loads.
    Canvas row = createCanvas(pictureSideLimit + 1, 1);
    ASSERT_TRUE(saveCanvasPng(row, "wide.png"));
    EXPECT_FALSE(pictureLoaded(decodePictureFile("wide.png", &refusal)));
    EXPECT_NE(refusal, "");
    row = createCanvas(pictureSideLimit, 1);
    ASSERT_TRUE(saveCanvasPng(row, "wide.png"));
    EXPECT_EQ(pictureWidth(decodePictureFile("wide.png")), pictureSideLimit);
    // Text or another format under a picture's name is no picture and has no size.
    writeTextFile("text.png", "not a picture at all");
    EXPECT_FALSE(readPictureSize("text.png", width, height));
    EXPECT_FALSE(pictureLoaded(loadPicture("text.png")));
}
