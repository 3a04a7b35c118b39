#include "platform/polygon.h"

#include <gtest/gtest.h>

namespace {
Polygon square(float left, float top, float right, float bottom) {
    return Polygon{{{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
}
}  // namespace

TEST(Polygon, EvenOddRuleLeavesTheInnerLoopOfASelfOverlappingOutsideOut) {
    // A square drawn twice around: the even-odd rule counts the doubled inside as outside.
    Polygon twice = square(0, 0, 100, 100);
    const auto inner = square(25, 25, 75, 75).vertices;
    twice.vertices.push_back({0, 0});
    twice.vertices.insert(twice.vertices.end(), inner.begin(), inner.end());
    twice.vertices.push_back({25, 25});
    EXPECT_TRUE(polygonContains(twice, 10, 10));
    EXPECT_FALSE(polygonContains(twice, 50, 50));
    EXPECT_FALSE(polygonContains(twice, 150, 50));
}

TEST(Polygon, FewerThanThreeVerticesContainNothingAndTheLastPointIsTheLastVertex) {
    EXPECT_FALSE(polygonContains(Polygon{}, 0, 0));
    EXPECT_FALSE(polygonContains(Polygon{{{0, 0}, {10, 10}}}, 5, 5));
    EXPECT_EQ(polygonLastPoint(Polygon{}).x, 0);
    const auto last = polygonLastPoint(square(1, 2, 30, 40));
    EXPECT_EQ(last.x, 1);
    EXPECT_EQ(last.y, 40);
}
