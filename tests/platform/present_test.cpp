// The window is presented only when its picture changed, with either renderer; a change of the display mode
// presents the picture the window holds again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "platform/graphics.h"
#include "platform/window.h"

namespace {

TEST(Presenting, OnlyAChangedPictureIsPresentedAgain) {
    // No display is needed: SDL's dummy video driver has a window surface the software renderer draws into.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(startWindowSystem());
    for (const RendererChoice choice : {RendererChoice::software, RendererChoice::automatic}) {
        DisplayMode mode;
        mode.renderer = choice;
        ASSERT_TRUE(openWindow("Quorvath", 90, 60, mode));
        Canvas picture = createCanvas(90, 60);
        Canvas wider = createCanvas(91, 60);
        const struct {
            const char* step;
            std::function<void()> act;
            int presents;
        } steps[] = {
            {"the first picture", [&] { paintWindow(picture); }, 1},
            {"the same picture", [&] { paintWindow(picture); }, 0},
            {"one pixel changed", [&] { fillRect(picture, 89, 59, 1, 1, 0xFF102030); }, 0},
            {"the changed picture", [&] { paintWindow(picture); }, 1},
            {"it again", [&] { paintWindow(picture); }, 0},
            {"the pixel back",
             [&] {
                 fillRect(picture, 89, 59, 1, 1, 0xFF000000);
                 paintWindow(picture);
             },
             1},
            {"a picture of another size, black too", [&] { paintWindow(wider); }, 1},
            {"the first size again", [&] { paintWindow(picture); }, 1},
            {"the whole screen", [&] { setWindowFullscreen(true); }, 1},
            {"the same picture on it", [&] { paintWindow(picture); }, 0},
        };
        for (const auto& step : steps) {
            const uint64_t before = windowPresents();
            step.act();
            EXPECT_EQ(windowPresents() - before, static_cast<uint64_t>(step.presents))
                << step.step << " (renderer " << windowRendererName() << ")";
        }
        closeWindow();
        ASSERT_TRUE(openWindow("Quorvath", 90, 60, mode));
        const uint64_t before = windowPresents();
        paintWindow(picture);
        EXPECT_EQ(windowPresents() - before, 1u) << "a new window shows its first picture";
        closeWindow();
    }
    stopWindowSystem();
}

}  // namespace
