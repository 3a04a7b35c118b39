// The last frame the view drew, kept so that a frame that stands still (the title, a hero standing in an empty
// field) is neither drawn nor painted again: the drawing is the same function of the list and of these inputs,
// so once drawing a list over the back buffer has left it unchanged, drawing it again would too.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/actions.h"
#include "core/fixed_pictures.h"
#include "core/shown_things.h"
#include "platform/graphics.h"

// What the view draws with besides the list: the same objects (not their contents), the language and the key
// names the texts are drawn in, and the back buffer drawn into.
struct ViewInputs {
    std::array<Picture, fixedPictureCount> pictures{};
    Font smallFont, largeFont;
    Canvas backBuffer;
    std::string language;
    std::array<std::string, actionCount> keyNames{};
    bool operator==(const ViewInputs&) const = default;
};

struct StillFrame {
    std::vector<ShownThing> shown;  // the list last drawn, and what it was drawn with
    ViewInputs inputs;
    // Drawing that list with those inputs over the back buffer left it unchanged, byte for byte
    bool proven = false;
    // This tick's frame is the last one's: nothing was drawn and the window has nothing new to show
    bool frameUnchanged = false;
    // Test-play reads the world's files again while the game runs and may change what the view draws with in
    // place: no frame is taken for still then
    bool worldWatched = false;
    Canvas before;  // the back buffer as the draw that tries to prove found it
};

// Something else drew into the back buffer or changed what the view draws with: the next frame is drawn again.
void forgetStillFrame(StillFrame& still);
