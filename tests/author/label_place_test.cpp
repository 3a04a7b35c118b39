// Placing the authors' texts: a text stays where it was wanted unless it would hide something kept clear, and then
// goes to the nearest place that hides nothing inside the view.
#include "author/label_place.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PlaceCase {
    const char* name;
    ViewBox wanted;
    std::vector<ViewBox> alternatives;
    std::vector<ViewBox> keepClear;
    ViewBox expected;
};

}  // namespace

TEST(LabelPlace, ATextMakesWayForWhatItWouldHide) {
    const ViewBox view{0, 0, 600, 600};
    const std::vector<PlaceCase> cases = {
        {"nothing in the way", {100, 100, 50, 20}, {}, {{300, 300, 40, 40}}, {100, 100, 50, 20}},
        {"a box that only touches it", {100, 100, 50, 20}, {}, {{150, 100, 40, 40}}, {100, 100, 50, 20}},
        {"on an NPC: just above it", {100, 110, 50, 20}, {}, {{90, 100, 70, 40}}, {100, 78, 50, 20}},
        {"above would leave the view: below", {100, 10, 50, 20}, {}, {{90, 0, 70, 40}}, {100, 42, 50, 20}},
        {"on the message window: above it", {10, 530, 50, 20}, {}, {{0, 520, 600, 80}}, {10, 498, 50, 20}},
        {"beside the box before a far alternative",
         {500, 10, 80, 40},
         {{10, 10, 80, 40}},
         {{450, 0, 150, 200}},
         {368, 10, 80, 40}},
        {"every side hidden: the alternative",
         {500, 10, 80, 40},
         {{10, 10, 80, 40}},
         {{400, 0, 200, 600}, {300, 0, 100, 600}},
         {10, 10, 80, 40}},
        {"nowhere clear: the least hidden", {0, 0, 600, 600}, {}, {{0, 0, 10, 10}}, {0, 0, 600, 600}},
    };
    for (const PlaceCase& c : cases) {
        const ViewBox got = clearPlace(c.wanted, c.alternatives, c.keepClear, view);
        EXPECT_EQ(got.x, c.expected.x) << c.name;
        EXPECT_EQ(got.y, c.expected.y) << c.name;
        EXPECT_EQ(got.width, c.expected.width) << c.name;
        EXPECT_EQ(got.height, c.expected.height) << c.name;
    }
}
