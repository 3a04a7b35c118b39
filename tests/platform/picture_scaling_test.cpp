// The window's own scaling: whole-number blocks, the nearest pixel, sharp blocks with one blended pixel between
// neighbours, and only the placed rows a change reaches written.
#include <gtest/gtest.h>

#include <vector>

#include "platform/picture_scaling.h"

namespace {

struct Scaled {
    std::vector<uint32_t> pixels;
    RowSpan written;
};

// A picture of width x height whose pixel (x, y) is 0xFF000000 + 16 * y + x, scaled to placedWidth x placedHeight
// after its rows first..last changed; placed pixels not written stay 0.
Scaled scaled(int32_t width, int32_t height, int32_t placedWidth, int32_t placedHeight, SampleKind kind,
              int32_t sharpScale, int32_t first, int32_t last) {
    std::vector<uint32_t> picture(width * height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) picture[y * width + x] = 0xFF000000u + 16 * y + x;
    }
    Scaled out;
    out.pixels.assign(placedWidth * placedHeight, 0);
    out.written = scalePictureRows({reinterpret_cast<const uint8_t*>(picture.data()), width * 4, width, height},
                                   axisSamples(width, placedWidth, kind, sharpScale),
                                   axisSamples(height, placedHeight, kind, sharpScale), first, last,
                                   {reinterpret_cast<uint8_t*>(out.pixels.data()), placedWidth * 4});
    return out;
}

TEST(PictureScaling, EachPlacedPixelComesFromThePicturePixelsUnderIt) {
    // Scale 2: 2 x 2 blocks. Two thirds: the pixel under the middle of each placed one.
    const Scaled doubled = scaled(3, 2, 6, 4, SampleKind::nearest, 1, 0, 1);
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(doubled.pixels[y * 6 + x], 0xFF000000u + 16 * (y / 2) + x / 2);
    }
    const Scaled smaller = scaled(3, 3, 2, 2, SampleKind::nearest, 1, 0, 2);
    EXPECT_EQ(smaller.pixels, (std::vector<uint32_t>{0xFF000000u, 0xFF000002u, 0xFF000020u, 0xFF000022u}));

    // 3.6 times, sharp: along a row of five pixels whose red is 0, 50, ..., 200, each pixel's pure block of at least
    // two in order, with at most one pixel between two blocks, a blend of those two.
    std::vector<uint32_t> row(5);
    for (int32_t x = 0; x < 5; ++x) row[x] = 0xFF000000u | (50u * x) << 16;
    std::vector<uint32_t> placed(18, 0);
    scalePictureRows({reinterpret_cast<const uint8_t*>(row.data()), 20, 5, 1}, axisSamples(5, 18, SampleKind::sharp, 4),
                     axisSamples(1, 1, SampleKind::sharp, 4), 0, 0, {reinterpret_cast<uint8_t*>(placed.data()), 72});
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

TEST(PictureScaling, OnlyThePlacedRowsAChangedRowReachesAreWritten) {
    const struct {
        SampleKind kind;
        int32_t placedHeight, sharpScale, first, last;
        RowSpan expected;
    } cases[] = {
        {SampleKind::nearest, 8, 1, 1, 1, {2, 4}},  // scale 2: row 1 is placed rows 2 and 3
        {SampleKind::nearest, 8, 1, 3, 3, {6, 8}},
        {SampleKind::sharp, 7, 2, 1, 2, {1, 6}},  // sharp 1.75: the blended rows on either side too
    };
    for (const auto& one : cases) {
        const Scaled out = scaled(4, 4, 4, one.placedHeight, one.kind, one.sharpScale, one.first, one.last);
        EXPECT_EQ(out.written.first, one.expected.first) << one.first;
        EXPECT_EQ(out.written.end, one.expected.end) << one.first;
        for (int32_t y = 0; y < one.placedHeight; ++y) {
            const bool written = y >= out.written.first && y < out.written.end;
            EXPECT_EQ(out.pixels[y * 4] != 0, written) << "placed row " << y;
        }
    }
}

}  // namespace
