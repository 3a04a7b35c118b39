// Area polygons: the even-odd whole-pixel point test and the last-vertex query.
// Kept in our own code so every area rule runs without a graphics library.
#pragma once

#include <cstdint>
#include <vector>

struct PolygonPoint {
    float x = 0, y = 0;
};

// A closed polygon with the even-odd (alternate) fill rule; no vertices means it contains nothing.
struct Polygon {
    std::vector<PolygonPoint> vertices;
};

// True when the whole-pixel point lies inside the polygon under the even-odd rule.
bool polygonContains(const Polygon& polygon, int32_t x, int32_t y);
// The last vertex added, or (0, 0) for a polygon without vertices.
PolygonPoint polygonLastPoint(const Polygon& polygon);
