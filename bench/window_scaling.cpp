// Times the window's own scaling of a changed 900 x 600 picture into the window's pixels, as the game does without
// a graphics card, for the window and screen sizes players have: the processor time of one whole changed frame
// (median and best of many), and of a frame in which only a band of rows changed. Only figures are printed.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "platform/picture_scaling.h"

namespace {

double threadMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Case {
    const char* name;
    int32_t width, height;
    SampleKind kind;
    int32_t sharpScale;
};

}  // namespace

int main() {
    constexpr int32_t pictureWidth = 900, pictureHeight = 600, rounds = 60;
    std::vector<uint32_t> picture(static_cast<std::size_t>(pictureWidth) * pictureHeight);
    for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u);
    const ConstPixelRows rows{reinterpret_cast<const uint8_t*>(picture.data()), pictureWidth * 4, pictureWidth,
                              pictureHeight};
    const Case cases[] = {
        {"scale 1 (900 x 600)", 900, 600, SampleKind::nearest, 1},
        {"scale 2 (1800 x 1200)", 1800, 1200, SampleKind::nearest, 2},
        {"fullscreen 1920 x 1080 (1620 x 1080, sharp)", 1620, 1080, SampleKind::sharp, 2},
        {"fullscreen 2560 x 1440 (2160 x 1440, sharp)", 2160, 1440, SampleKind::sharp, 3},
        {"fullscreen 3840 x 2160 (3240 x 2160, sharp)", 3240, 2160, SampleKind::sharp, 4},
    };
    std::printf("%-46s %14s %14s %18s\n", "placed picture", "whole median", "whole best", "60 rows median");
    for (const Case& one : cases) {
        const AxisSamples across = axisSamples(pictureWidth, one.width, one.kind, one.sharpScale);
        const AxisSamples down = axisSamples(pictureHeight, one.height, one.kind, one.sharpScale);
        std::vector<uint8_t> placed(static_cast<std::size_t>(one.width) * one.height * 4);
        const PixelRows target{placed.data(), one.width * 4};
        std::vector<double> whole, band;
        for (int round = 0; round < rounds; ++round) {
            double start = threadMillis();
            scalePictureArea(rows, across, down, {0, pictureHeight - 1, 0, pictureWidth - 1}, target);
            whole.push_back(threadMillis() - start);
            start = threadMillis();
            scalePictureArea(rows, across, down, {270, 329, 0, pictureWidth - 1}, target);
            band.push_back(threadMillis() - start);
        }
        std::sort(whole.begin(), whole.end());
        std::sort(band.begin(), band.end());
        std::printf("%-46s %11.2f ms %11.2f ms %15.2f ms\n", one.name, whole[rounds / 2], whole[0], band[rounds / 2]);
    }
    return 0;
}
