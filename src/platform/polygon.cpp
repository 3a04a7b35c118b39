// Even-odd point test over whole-pixel points, as the area rules need it.
#include "platform/polygon.h"

#include <cstddef>

bool polygonContains(const Polygon& polygon, int32_t x, int32_t y) {
    const auto& v = polygon.vertices;
    const std::size_t n = v.size();
    if (n < 3) return false;
    const double px = x, py = y;
    bool inside = false;
    // Crossing test of a ray to the right: an edge counts when it straddles the point's row
    // (half-open in y, so a vertex on the row is counted once).
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double xi = v[i].x, yi = v[i].y, xj = v[j].x, yj = v[j].y;
        if ((yi > py) != (yj > py)) {
            const double crossX = xj + (py - yj) * (xi - xj) / (yi - yj);
            if (px < crossX) inside = !inside;
        }
    }
    return inside;
}

PolygonPoint polygonLastPoint(const Polygon& polygon) {
    if (polygon.vertices.empty()) return {};
    return polygon.vertices.back();
}
