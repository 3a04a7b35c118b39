// Where the authors' texts go over a picture (the F3 overlay's labels, the F9 panel): clear of what they must not
// hide, such as the message window and the NPCs. The area overlay and test-play's view call it.
#pragma once

#include <cstdint>
#include <vector>

// A rectangle on the canvas, in its pixels.
struct ViewBox {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// Whether two boxes share at least one pixel.
bool boxesOverlap(const ViewBox& a, const ViewBox& b);
// The place for a text box that would stand at `wanted`: wanted itself when it covers none of keepClear; else, of
// wanted, the alternatives and the places just beside each box of keepClear that wanted covers (above, below, left,
// right), the one with the fewest pixels on keepClear or outside `within`, then the one that moves the least.
ViewBox clearPlace(const ViewBox& wanted, const std::vector<ViewBox>& alternatives,
                   const std::vector<ViewBox>& keepClear, const ViewBox& within);
