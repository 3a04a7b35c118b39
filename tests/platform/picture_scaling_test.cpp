// The window's own scaling: whole-number blocks, the nearest pixel, sharp blocks with one blended pixel between
// neighbours, and only the placed pixels a change reaches written.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "platform/picture_scaling.h"

namespace {

struct Scaled {
    std::vector<uint32_t> pixels;
    PlacedArea written;
};

// A picture of width x height whose pixel (x, y) is 0xFF000000 + 16 * y + x, scaled to placedWidth x placedHeight
// after the part `changed` changed (all of it unless given); placed pixels not written stay 0.
Scaled scaled(int32_t width, int32_t height, int32_t placedWidth, int32_t placedHeight, SampleKind kind,
              int32_t sharpScale, PictureArea changed = {0, 1000, 0, 1000}) {
    std::vector<uint32_t> picture(width * height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) picture[y * width + x] = 0xFF000000u + 16 * y + x;
    }
    Scaled out;
    out.pixels.assign(placedWidth * placedHeight, 0);
    out.written = scalePictureArea({reinterpret_cast<const uint8_t*>(picture.data()), width * 4, width, height},
                                   axisSamples(width, placedWidth, kind, sharpScale),
                                   axisSamples(height, placedHeight, kind, sharpScale), changed,
                                   {reinterpret_cast<uint8_t*>(out.pixels.data()), placedWidth * 4});
    return out;
}

TEST(PictureScaling, EachPlacedPixelComesFromThePicturePixelsUnderIt) {
    // Scale 2: 2 x 2 blocks. Two thirds: the pixel under the middle of each placed one.
    const Scaled doubled = scaled(3, 2, 6, 4, SampleKind::nearest, 1);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(doubled.pixels[y * 6 + x], 0xFF000000u + 16 * (y / 2) + x / 2);
    }
    const Scaled smaller = scaled(3, 3, 2, 2, SampleKind::nearest, 1);
    EXPECT_EQ(smaller.pixels, (std::vector<uint32_t>{0xFF000000u, 0xFF000002u, 0xFF000020u, 0xFF000022u}));

    // 3.6 times, sharp: along a row of five pixels whose red is 0, 50, ..., 200, each pixel's pure block of at least
    // two in order, with at most one pixel between two blocks, a blend of those two.
    std::vector<uint32_t> row(5);
    for (int32_t x = 0; x < 5; ++x) row[x] = 0xFF000000u | (50u * x) << 16;
    std::vector<uint32_t> placed(18, 0);
    scalePictureArea({reinterpret_cast<const uint8_t*>(row.data()), 20, 5, 1}, axisSamples(5, 18, SampleKind::sharp, 4),
                     axisSamples(1, 1, SampleKind::sharp, 4), {0, 0, 0, 4},
                     {reinterpret_cast<uint8_t*>(placed.data()), 72});
    int32_t blockOf[5] = {}, previous = 0, between = 0;
    for (const uint32_t pixel : placed) {
        const int32_t red = static_cast<int32_t>(pixel >> 16 & 0xFF);
        EXPECT_GE(red, previous);
        EXPECT_LE(red - previous, 50);
        between = red % 50 == 0 ? 0 : between + 1;
        EXPECT_LT(between, 2) << "two blended pixels side by side";
        if (red % 50 == 0) ++blockOf[red / 50];
        previous = red;
    }
    for (const int32_t count : blockOf) EXPECT_GE(count, 2);
    EXPECT_EQ(placed.back() >> 16 & 0xFF, 200u);
}

TEST(PictureScaling, OnlyThePlacedPixelsAChangeReachesAreWritten) {
    // A 4 x 4 picture placed at 8 x 8 (scale 2) or 7 x 7 (sharp 1.75, where the blended rows and columns on either
    // side of the change are reached too).
    const struct {
        SampleKind kind;
        int32_t placedSize, sharpScale;
        PictureArea changed;
        PlacedArea expected;
    } cases[] = {
        {SampleKind::nearest, 8, 1, {1, 1, 0, 3}, {2, 4, 0, 8}},
        {SampleKind::nearest, 8, 1, {3, 3, 1, 2}, {6, 8, 2, 6}},
        {SampleKind::sharp, 7, 2, {1, 2, 0, 0}, {1, 6, 0, 2}},
        {SampleKind::nearest, 8, 1, {2, 1, 0, 3}, {0, 0, 0, 0}},  // nothing changed
    };
    for (const auto& one : cases) {
        const Scaled out = scaled(4, 4, one.placedSize, one.placedSize, one.kind, one.sharpScale, one.changed);
        const PlacedArea& got = out.written;
        EXPECT_EQ(
            std::tie(got.firstRow, got.endRow, got.firstColumn, got.endColumn),
            std::tie(one.expected.firstRow, one.expected.endRow, one.expected.firstColumn, one.expected.endColumn))
            << "rows " << one.changed.firstRow << "-" << one.changed.lastRow;
        for (int32_t y = 0; y < one.placedSize; ++y) {
            for (int32_t x = 0; x < one.placedSize; ++x) {
                const bool inside = y >= got.firstRow && y < got.endRow && x >= got.firstColumn && x < got.endColumn;
                EXPECT_EQ(out.pixels[y * one.placedSize + x] != 0, inside) << "placed " << x << ", " << y;
            }
        }
    }
}

TEST(PictureScaling, APartScaledAfterAChangeGivesTheWholePictureScaledAnew) {
    // A 9 x 6 picture at sharp 3.6 and at scale 2: its middle changed and scaled alone over the old placed picture
    // must leave exactly what scaling the changed picture whole gives.
    for (const auto& [placedWidth, placedHeight, kind, sharpScale] :
         {std::tuple{32, 22, SampleKind::sharp, 4}, std::tuple{18, 12, SampleKind::nearest, 1}}) {
        std::vector<uint32_t> picture(54);
        for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = 0xFF000000u | static_cast<uint32_t>(i * 40503u);
        const AxisSamples across = axisSamples(9, placedWidth, kind, sharpScale);
        const AxisSamples down = axisSamples(6, placedHeight, kind, sharpScale);
        auto scaleWhole = [&](std::vector<uint32_t>& placed, const PictureArea& area) {
            scalePictureArea({reinterpret_cast<const uint8_t*>(picture.data()), 36, 9, 6}, across, down, area,
                             {reinterpret_cast<uint8_t*>(placed.data()), placedWidth * 4});
        };
        std::vector<uint32_t> updated(placedWidth * placedHeight), anew(updated.size());
        scaleWhole(updated, {0, 5, 0, 8});
        for (int32_t y = 2; y <= 3; ++y) {
            for (int32_t x = 3; x <= 5; ++x) picture[y * 9 + x] ^= 0x00FFFFFFu;
        }
        scaleWhole(updated, {2, 3, 3, 5});
        scaleWhole(anew, {0, 5, 0, 8});
        EXPECT_EQ(updated, anew) << placedWidth;
    }
}

}  // namespace
