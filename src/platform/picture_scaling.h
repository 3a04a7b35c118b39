// The picture scaled into the window's own pixels on the processor, for windows SDL's software drawing shows: one
// pass from the picture's rows straight into the window's surface, and only the rows a change reaches.
#pragma once

#include <cstdint>
#include <vector>

// How each axis of the placed picture takes its pixels from the picture: per placed pixel the picture pixel before
// and the one after, and how much of the one after it blends in (0-256; 0 for all but the blended edges).
// The same told as runs of placed pixels that take the same two picture pixels with the same weight (a block's
// pure pixels, then its blended edge), for building a row a block at a time.
struct SampleRun {
    int32_t before = 0, after = 0, weight = 0, count = 0;
};
struct AxisSamples {
    std::vector<int32_t> before, after;
    std::vector<int32_t> weight;
    std::vector<SampleRun> runs;
};
// Whole-number blocks (`scale` placed pixels per picture pixel, the placed size a multiple of the picture's), the
// nearest picture pixel (any other size), or sharp blocks with one blended pixel between them: the picture scaled
// up by the whole number `sharpScale` and then smoothly to the placed size.
enum class SampleKind { nearest, sharp };
AxisSamples axisSamples(int32_t pictureSize, int32_t placedSize, SampleKind kind, int32_t sharpScale);

// 32-bit pixels whose four bytes are blue, green, red and a fourth byte that is kept as the picture has it.
struct PixelRows {
    uint8_t* pixels = nullptr;
    int32_t stride = 0;  // bytes from one row to the next
};
struct ConstPixelRows {
    const uint8_t* pixels = nullptr;
    int32_t stride = 0;
    int32_t width = 0, height = 0;
};
// The part of the picture that changed (inclusive), and the part of the placed picture scaling it wrote (one past
// its last row and column).
struct PictureArea {
    int32_t firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;
};
struct PlacedArea {
    int32_t firstRow = 0, endRow = 0, firstColumn = 0, endColumn = 0;
};
// Writes the placed pixels that take any of the picture's pixels in `changed` into `placed` (whose first pixel is
// the placed picture's top left corner): every placed row and column such a pixel reaches, blended edges included.
PlacedArea scalePictureArea(const ConstPixelRows& picture, const AxisSamples& across, const AxisSamples& down,
                            const PictureArea& changed, PixelRows placed);
