// Placing the authors' texts clear of the message window and the NPCs.
#include "author/label_place.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// A gap of two pixels keeps a moved text's rim off the box it makes way for.
constexpr int32_t gap = 2;

int64_t sharedArea(const ViewBox& a, const ViewBox& b) {
    const int64_t width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const int64_t height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return width > 0 && height > 0 ? width * height : 0;
}

int64_t coveredArea(const ViewBox& box, const std::vector<ViewBox>& keepClear) {
    int64_t covered = 0;
    for (const ViewBox& other : keepClear) covered += sharedArea(box, other);
    return covered;
}

}  // namespace

bool boxesOverlap(const ViewBox& a, const ViewBox& b) {
    return sharedArea(a, b) > 0;
}

ViewBox clearPlace(const ViewBox& wanted, const std::vector<ViewBox>& alternatives,
                   const std::vector<ViewBox>& keepClear, const ViewBox& within) {
    if (coveredArea(wanted, keepClear) == 0) return wanted;
    std::vector<ViewBox> places = {wanted};
    places.insert(places.end(), alternatives.begin(), alternatives.end());
    for (const ViewBox& other : keepClear) {
        if (!boxesOverlap(wanted, other)) continue;
        places.push_back({wanted.x, other.y - wanted.height - gap, wanted.width, wanted.height});
        places.push_back({wanted.x, other.y + other.height + gap, wanted.width, wanted.height});
        places.push_back({other.x - wanted.width - gap, wanted.y, wanted.width, wanted.height});
        places.push_back({other.x + other.width + gap, wanted.y, wanted.width, wanted.height});
    }
    const int64_t area = int64_t{wanted.width} * wanted.height;
    // A text cut off by the view's edge hides itself: each pixel of it outside counts as one it covers.
    auto cost = [&](const ViewBox& place) {
        const int64_t distance = std::abs(int64_t{place.x} - wanted.x) + std::abs(int64_t{place.y} - wanted.y);
        return std::make_pair(coveredArea(place, keepClear) + area - sharedArea(place, within), distance);
    };
    // The first of equal places wins, so wanted and then the alternatives come before the sides.
    return *std::min_element(places.begin(), places.end(),
                             [&](const ViewBox& a, const ViewBox& b) { return cost(a) < cost(b); });
}
