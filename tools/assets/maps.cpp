// Map screens painted from their area polygons. The walkable ground is found pixel by pixel with the same
// even-odd crossing rule the game's area test uses, so what looks walkable is what the hero can walk on.
#include "maps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>

using namespace paint;

namespace {

enum class Theme { field, town, water, cave, city, indoor, tower };
enum class Ground {
    grass,
    meadow,
    dirt,
    sand,
    paving,
    plaza,
    wood,
    carpet,
    caveFloor,
    moss,
    darkRock,
    bridge,
    stairs,
    runes
};

bool contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

Theme themeOf(const MapScreen& screen) {
    const std::string& name = screen.name;
    if (contains(name, "やど") || contains(name, "みせ") || contains(name, "いえ") || contains(name, "やかた"))
        return Theme::indoor;
    if (contains(name, "とう") && !contains(name, "タウン")) return Theme::tower;
    const int i = screen.index;
    const bool underground = i == 1 || i == 2 || (i >= 12 && i <= 15) || (i >= 24 && i <= 36) ||
                             contains(name, "こうざん") || contains(name, "どうくつ") || contains(name, "ちか");
    if (underground) return contains(name, "みずうみ") || contains(name, "いずみ") ? Theme::water : Theme::cave;
    if (contains(name, "みずうみ") || contains(name, "しま") || contains(name, "うみ")) return Theme::water;
    if ((i >= 16 && i <= 23) || (i >= 38 && i <= 41) || contains(name, "みやこ")) return Theme::city;
    if (contains(name, "まち") || contains(name, "むら")) return Theme::town;
    return Theme::field;
}

bool underground(Theme theme, const MapScreen& screen) {
    return theme == Theme::cave || (theme == Theme::water && (screen.index == 1 || screen.index == 2 ||
                                                              (screen.index >= 12 && screen.index <= 15) ||
                                                              (screen.index >= 24 && screen.index <= 36)));
}

struct AreaLook {
    Ground ground = Ground::grass;
    bool dark = false;
};

AreaLook lookOf(const MapArea& area, Theme theme, bool below) {
    AreaLook look;
    if (area.door) {
        look.ground = Ground::stairs;
        return look;
    }
    if (area.level == 100) {
        look.ground = Ground::bridge;
        return look;
    }
    look.dark = area.level == -100;
    const int level = area.level == -100 ? 0 : ((area.level % 4) + 4) % 4;
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const PolygonPoint& p : area.polygon.vertices) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const float w = maxX - minX, h = maxY - minY;
    const bool road = std::min(w, h) <= 90 && std::max(w, h) >= 3.2f * std::max(1.0f, std::min(w, h));
    static const Ground field[] = {Ground::grass, Ground::dirt, Ground::meadow, Ground::sand};
    static const Ground cave[] = {Ground::caveFloor, Ground::dirt, Ground::moss, Ground::darkRock};
    static const Ground city[] = {Ground::paving, Ground::plaza, Ground::grass, Ground::dirt};
    static const Ground indoor[] = {Ground::wood, Ground::carpet, Ground::paving, Ground::dirt};
    static const Ground tower[] = {Ground::paving, Ground::runes, Ground::plaza, Ground::caveFloor};
    switch (theme) {
    case Theme::field:
    case Theme::town:
    case Theme::water:
        look.ground = below ? cave[level] : field[level];
        if (road && level == 0)
            look.ground = below ? Ground::dirt : (theme == Theme::water ? Ground::sand : Ground::dirt);
        break;
    case Theme::cave:
        look.ground = cave[level];
        if (road && level == 0) look.ground = Ground::dirt;
        break;
    case Theme::city:
        look.ground = city[level];
        if (road && level == 0) look.ground = Ground::plaza;
        break;
    case Theme::indoor: look.ground = indoor[level]; break;
    case Theme::tower: look.ground = tower[level]; break;
    }
    return look;
}

// Ground colour at a map pixel; textures are laid on a 2-pixel grid for the chunky look.
uint32_t groundColor(Ground ground, int x, int y, int areaIndex) {
    const int gx = x / 2, gy = y / 2;
    const uint32_t h = hashPoint(gx, gy, static_cast<uint32_t>(ground) + 101);
    switch (ground) {
    case Ground::grass:
    case Ground::meadow: {
        const uint32_t base = ground == Ground::grass ? colors::green : mix(colors::green, colors::lime, 0.45);
        if (h % 13 == 0) return darker(base, 0.28);
        if (h % 29 == 0) return lighter(base, 0.3);
        if (h % 997 == 0) return colors::pink;
        if (h % 991 == 0) return colors::gold;
        return base;
    }
    case Ground::dirt: {
        const uint32_t base = colors::tan;
        if (h % 17 == 0) return colors::brown;
        if (h % 23 == 0) return lighter(base, 0.25);
        return base;
    }
    case Ground::sand:
        if (h % 19 == 0) return colors::tan;
        if (h % 31 == 0) return colors::white;
        return colors::sand;
    case Ground::paving:
    case Ground::plaza: {
        const int size = ground == Ground::paving ? 16 : 24;
        const int row = y / size;
        const int shift = row % 2 == 0 ? 0 : size / 2;
        const int col = (x + shift) / size;
        const int lx = (x + shift) % size, ly = y % size;
        if (lx < 2 || ly < 2) return ground == Ground::paving ? colors::stone : mix(colors::stone, colors::tan, 0.4);
        const uint32_t stone = hashPoint(col, row, 7 + static_cast<uint32_t>(areaIndex));
        const uint32_t base = ground == Ground::paving ? colors::silver : mix(colors::silver, colors::sand, 0.55);
        uint32_t rgb = mix(base, colors::white, (stone % 5) * 0.04);
        if (lx < 4 && ly >= 2) rgb = lighter(rgb, 0.15);
        return rgb;
    }
    case Ground::wood: {
        const int plank = y / 12;
        const int offset = static_cast<int>(hashPoint(plank, 0, 5) % 64);
        if (y % 12 < 2) return colors::darkBrown;
        if ((x + offset) % 64 < 2) return colors::darkBrown;
        const uint32_t base = plank % 2 == 0 ? colors::brown : mix(colors::brown, colors::tan, 0.25);
        return h % 11 == 0 ? darker(base, 0.12) : base;
    }
    case Ground::carpet: {
        const int dx = std::abs(x % 24 - 12), dy = std::abs(y % 24 - 12);
        if (dx + dy == 8 || dx + dy == 9) return colors::gold;
        return colors::red;
    }
    case Ground::caveFloor:
    case Ground::moss:
    case Ground::darkRock: {
        uint32_t base = ground == Ground::darkRock ? colors::slate : mix(colors::stone, colors::tan, 0.2);
        if (ground == Ground::moss && h % 5 < 2) base = mix(colors::forest, colors::stone, 0.4);
        if (h % 11 == 0) return darker(base, 0.2);
        if (h % 37 == 0) return lighter(base, 0.2);
        return base;
    }
    case Ground::bridge: {
        const int lx = x % 14;
        if (lx < 2) return colors::darkBrown;
        return hashPoint(x / 14, y / 6, 3) % 4 == 0 ? mix(colors::brown, colors::tan, 0.4) : colors::brown;
    }
    case Ground::stairs: {
        const int ly = y % 10;
        if (ly < 2) return colors::slate;
        if (ly < 4) return colors::white;
        return colors::silver;
    }
    case Ground::runes: {
        const int lx = x % 32, ly = y % 32;
        if (lx < 2 || ly < 2) return colors::ink;
        if ((lx == 16 || ly == 16) && h % 3 != 0) return colors::violet;
        return mix(colors::slate, colors::plum, 0.4);
    }
    }
    return colors::green;
}

struct Distances {
    int width = 0, height = 0;
    std::vector<int16_t> above, below, left, right;  // steps to the nearest walkable pixel that way, capped
};

constexpr int16_t far = 64;

Distances measure(const std::vector<int16_t>& owner, int w, int h) {
    Distances d;
    d.width = w;
    d.height = h;
    const size_t n = static_cast<size_t>(w) * h;
    d.above.assign(n, far);
    d.below.assign(n, far);
    d.left.assign(n, far);
    d.right.assign(n, far);
    auto at = [w](int x, int y) { return static_cast<size_t>(y) * w + x; };
    for (int x = 0; x < w; ++x) {
        int16_t run = far;
        for (int y = 0; y < h; ++y) {
            d.above[at(x, y)] = run;
            run = owner[at(x, y)] >= 0 ? 1 : static_cast<int16_t>(std::min<int>(far, run + 1));
        }
        run = far;
        for (int y = h - 1; y >= 0; --y) {
            d.below[at(x, y)] = run;
            run = owner[at(x, y)] >= 0 ? 1 : static_cast<int16_t>(std::min<int>(far, run + 1));
        }
    }
    for (int y = 0; y < h; ++y) {
        int16_t run = far;
        for (int x = 0; x < w; ++x) {
            d.left[at(x, y)] = run;
            run = owner[at(x, y)] >= 0 ? 1 : static_cast<int16_t>(std::min<int>(far, run + 1));
        }
        run = far;
        for (int x = w - 1; x >= 0; --x) {
            d.right[at(x, y)] = run;
            run = owner[at(x, y)] >= 0 ? 1 : static_cast<int16_t>(std::min<int>(far, run + 1));
        }
    }
    return d;
}

// Colour of a pixel off the walkable ground: the face of a wall or cliff just above the ground, a ledge just
// below it, a dark rim around it, and the theme's rough land beyond.
uint32_t outsideColor(Theme theme, bool below, int x, int y, int16_t up, int16_t down, int16_t side) {
    const uint32_t h = hashPoint(x / 2, y / 2, 77);
    const int nearest = std::min<int>({up, down, side});
    if (theme == Theme::water) {
        if (nearest <= 3) return colors::sand;
        if (nearest <= 6) return colors::white;
        const uint32_t deep = below ? colors::navy : colors::blue;
        if (hashPoint(x / 8, y / 2, 5) % 23 == 0) return colors::sky;
        return nearest <= 14 ? mix(deep, colors::sky, 0.35) : deep;
    }
    constexpr int faceHeight = 14;
    if (down <= faceHeight) {
        // a wall face rising above the ground to the north, lit at its top edge
        if (down >= faceHeight - 1) return colors::ink;
        if (down >= faceHeight - 3) {
            switch (theme) {
            case Theme::field:
            case Theme::town: return colors::lime;
            case Theme::cave: return colors::silver;
            case Theme::city: return colors::white;
            default: return colors::tan;
            }
        }
        switch (theme) {
        case Theme::field:
        case Theme::town: return (y / 4) % 2 == 0 ? colors::brown : mix(colors::brown, colors::darkBrown, 0.5);
        case Theme::cave: return h % 7 == 0 ? colors::slate : colors::stone;
        case Theme::city: return (x / 2 + (y / 6) * 5) % 12 == 0 || y % 6 == 0 ? colors::brown : colors::tan;
        case Theme::indoor: return x % 16 < 2 ? colors::darkBrown : mix(colors::tan, colors::sand, 0.3);
        case Theme::tower: return (x + (y / 8) * 8) % 16 == 0 || y % 8 == 0 ? colors::slate : colors::stone;
        case Theme::water: break;
        }
    }
    if (up <= 6) return up <= 2 ? colors::ink : darker(colors::slate, 0.3);
    if (side <= 2) return colors::ink;
    switch (theme) {
    case Theme::field:
    case Theme::town:
        if (h % 7 == 0) return colors::green;
        return h % 3 == 0 ? darker(colors::forest, 0.15) : colors::forest;
    case Theme::cave:
        if (h % 9 == 0) return colors::slate;
        return h % 4 == 0 ? colors::night : darker(colors::night, 0.25);
    case Theme::city:
        if (h % 11 == 0) return colors::stone;
        return mix(colors::slate, colors::stone, 0.25);
    case Theme::indoor: return (x / 2 + y / 2) % 8 == 0 ? colors::darkBrown : darker(colors::darkBrown, 0.35);
    case Theme::tower: return h % 5 == 0 ? colors::plum : darker(colors::plum, 0.4);
    case Theme::water: break;
    }
    return colors::ink;
}

// Rectangle sums over the near-ground mask, for finding room for landmarks.
struct MaskSums {
    int width = 0, height = 0;
    std::vector<int32_t> sums;
    int32_t count(int x0, int y0, int x1, int y1) const {
        x0 = std::clamp(x0, 0, width);
        x1 = std::clamp(x1, 0, width);
        y0 = std::clamp(y0, 0, height);
        y1 = std::clamp(y1, 0, height);
        auto s = [&](int x, int y) { return sums[static_cast<size_t>(y) * (width + 1) + x]; };
        return s(x1, y1) - s(x0, y1) - s(x1, y0) + s(x0, y0);
    }
};

enum class Landmark { tree, pine, bush, rock, house, stalagmite, crystal, mushroom, pillar, lamp, barrel, flowers };

struct LandmarkShape {
    int width, height;  // footprint in map pixels
};

LandmarkShape shapeOf(Landmark landmark) {
    switch (landmark) {
    case Landmark::tree: return {36, 44};
    case Landmark::pine: return {28, 48};
    case Landmark::bush: return {24, 18};
    case Landmark::rock: return {24, 18};
    case Landmark::house: return {84, 76};
    case Landmark::stalagmite: return {18, 32};
    case Landmark::crystal: return {18, 26};
    case Landmark::mushroom: return {16, 16};
    case Landmark::pillar: return {26, 56};
    case Landmark::lamp: return {12, 36};
    case Landmark::barrel: return {18, 20};
    case Landmark::flowers: return {16, 10};
    }
    return {16, 16};
}

// A landmark sprite, painted at half size, outlined and doubled.
SurfacePtr paintLandmark(Landmark landmark, int variant) {
    const LandmarkShape shape = shapeOf(landmark);
    const int w = shape.width / 2, h = shape.height / 2;
    SurfacePtr small = newSurface(w, h);
    {
        PenPtr holder = newPen(small.get());
        cairo_t* pen = holder.get();
        const uint32_t roofs[] = {colors::red, colors::blue, colors::orange, colors::forest};
        switch (landmark) {
        case Landmark::tree:
            fillRect(pen, w / 2.0 - 2, h - 8, 4, 7, colors::darkBrown);
            fillEllipse(pen, w / 2.0, h / 2.0 - 2, w / 2.0 - 1.5, h / 2.0 - 4,
                        variant % 2 ? colors::green : colors::forest);
            fillEllipse(pen, w / 2.0 - 3, h / 2.0 - 5, 3, 2.5,
                        lighter(variant % 2 ? colors::green : colors::forest, 0.3));
            break;
        case Landmark::pine:
            fillRect(pen, w / 2.0 - 1.5, h - 5, 3, 4, colors::darkBrown);
            fillPolygon(pen, {w / 2.0, 1, w - 1.5, h - 5.0, 1.5, h - 5.0}, colors::forest);
            fillPolygon(pen, {w / 2.0, 3, w / 2.0 + 3, h / 2.0, w / 2.0 - 1, h / 2.0}, lighter(colors::forest, 0.3));
            break;
        case Landmark::bush:
            fillEllipse(pen, w / 2.0, h / 2.0 + 1, w / 2.0 - 1, h / 2.0 - 1.5, colors::green);
            fillRect(pen, w / 2.0 - 3, h / 2.0 - 1, 2, 1, colors::lime);
            if (variant % 3 == 0) fillRect(pen, w / 2.0 + 2, h / 2.0, 1.5, 1.5, colors::red);
            break;
        case Landmark::rock:
            fillEllipse(pen, w / 2.0, h / 2.0 + 1, w / 2.0 - 1, h / 2.0 - 1.5, colors::stone);
            fillEllipse(pen, w / 2.0 - 2, h / 2.0 - 0.5, 3, 2, colors::silver);
            break;
        case Landmark::house: {
            const uint32_t roof = roofs[variant % 4];
            fillRect(pen, 4, h / 2.0 - 2, w - 8, h / 2.0 + 1, colors::sand);
            fillRect(pen, 4, h - 3, w - 8, 2, colors::tan);
            fillPolygon(pen, {1, h / 2.0, w / 2.0, 2, w - 1.0, h / 2.0}, roof);
            fillRect(pen, 2, h / 2.0 - 1, w - 4, 2, darker(roof, 0.25));
            fillRect(pen, w / 2.0 - 3, h - 10, 6, 9, colors::brown);
            fillRect(pen, 8, h / 2.0 + 4, 6, 5, colors::sky);
            fillRect(pen, w - 14, h / 2.0 + 4, 6, 5, colors::sky);
            fillRect(pen, w - 13, 5, 3, 6, colors::stone);
            break;
        }
        case Landmark::stalagmite:
            fillPolygon(pen, {w / 2.0, 1, w - 2.0, h - 1.0, 2, h - 1.0}, variant % 2 ? colors::stone : colors::slate);
            fillPolygon(pen, {w / 2.0, 3, w / 2.0 + 1.5, h - 3.0, w / 2.0 - 1, h - 3.0}, colors::silver);
            break;
        case Landmark::crystal: {
            const uint32_t hue = variant % 2 ? colors::violet : colors::sky;
            fillPolygon(pen, {w / 2.0, 1, w - 2.0, h / 2.0, w / 2.0 + 2, h - 1.0, w / 2.0 - 2, h - 1.0, 2, h / 2.0},
                        hue);
            fillPolygon(pen, {w / 2.0, 3, w / 2.0 + 1.5, h / 2.0, w / 2.0, h - 3.0}, lighter(hue, 0.5));
            break;
        }
        case Landmark::mushroom:
            fillRect(pen, w / 2.0 - 1, h / 2.0, 2, h / 2.0 - 1, colors::sand);
            fillEllipse(pen, w / 2.0, h / 2.0, w / 2.0 - 1, 2.5, variant % 2 ? colors::orange : colors::violet);
            break;
        case Landmark::pillar:
            fillRect(pen, 2, 2, w - 4, 3, colors::silver);
            fillRect(pen, 3, 5, w - 6, h - 9, colors::stone);
            fillRect(pen, 4, 5, 2, h - 9, colors::silver);
            fillRect(pen, 2, h - 4, w - 4, 3, colors::silver);
            break;
        case Landmark::lamp:
            fillRect(pen, w / 2.0 - 0.5, 4, 1.5, h - 5, colors::slate);
            fillRect(pen, w / 2.0 - 2, 1, 4, 4, colors::gold);
            break;
        case Landmark::barrel:
            fillRect(pen, 2, 2, w - 4, h - 3, colors::brown);
            fillRect(pen, 2, 4, w - 4, 1, colors::darkBrown);
            fillRect(pen, 2, h - 4, w - 4, 1, colors::darkBrown);
            break;
        case Landmark::flowers:
            fillRect(pen, 2, h - 3, w - 4, 2, colors::green);
            fillRect(pen, 2, 2, 2, 2, variant % 2 ? colors::pink : colors::gold);
            fillRect(pen, 5, 3, 2, 2, colors::white);
            break;
        }
    }
    SurfacePtr line = outlined(small.get(), colors::ink);
    return scaledUp(line.get(), 2);
}

std::vector<Landmark> landmarksOf(Theme theme) {
    switch (theme) {
    case Theme::field:
        return {Landmark::tree, Landmark::tree, Landmark::pine, Landmark::bush, Landmark::rock, Landmark::flowers};
    case Theme::town:
        return {Landmark::house, Landmark::tree, Landmark::house, Landmark::bush, Landmark::flowers, Landmark::tree};
    case Theme::water: return {Landmark::rock, Landmark::rock};
    case Theme::cave:
        return {Landmark::stalagmite, Landmark::rock, Landmark::crystal, Landmark::mushroom, Landmark::stalagmite};
    case Theme::city: return {Landmark::house, Landmark::house, Landmark::lamp, Landmark::tree, Landmark::house};
    case Theme::indoor: return {Landmark::barrel};
    case Theme::tower: return {Landmark::pillar, Landmark::crystal};
    }
    return {};
}

void bounds(const Polygon& polygon, int& x0, int& y0, int& x1, int& y1) {
    x0 = y0 = 1 << 30;
    x1 = y1 = -(1 << 30);
    for (const PolygonPoint& p : polygon.vertices) {
        x0 = std::min(x0, static_cast<int>(std::floor(p.x)));
        y0 = std::min(y0, static_cast<int>(std::floor(p.y)));
        x1 = std::max(x1, static_cast<int>(std::ceil(p.x)));
        y1 = std::max(y1, static_cast<int>(std::ceil(p.y)));
    }
}

// Marks every whole pixel the polygon holds, with the crossing rule of the game's point test.
template <typename Mark> void scanPolygon(const Polygon& polygon, int w, int h, Mark mark) {
    const auto& v = polygon.vertices;
    const size_t n = v.size();
    if (n < 3) return;
    int x0, y0, x1, y1;
    bounds(polygon, x0, y0, x1, y1);
    std::vector<double> crossings;
    for (int y = std::max(0, y0); y <= std::min(h - 1, y1); ++y) {
        crossings.clear();
        const double py = y;
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            const double xi = v[i].x, yi = v[i].y, xj = v[j].x, yj = v[j].y;
            if ((yi > py) != (yj > py)) crossings.push_back(xj + (py - yj) * (xi - xj) / (yi - yj));
        }
        std::sort(crossings.begin(), crossings.end());
        // a pixel is inside when an odd number of crossings lie strictly to its right
        size_t passed = 0;
        for (int x = std::max(0, x0); x <= std::min(w - 1, x1); ++x) {
            while (passed < crossings.size() && !(static_cast<double>(x) < crossings[passed])) ++passed;
            if ((crossings.size() - passed) % 2 == 1) mark(x, y);
        }
    }
}

// Worn paths from every door to the middle of the screen's largest area, which the town square or the main
// hall usually is: the player reads them as the ways in and out.
std::vector<uint8_t> pathsFromDoors(const MapScreen& screen, int w, int h) {
    std::vector<uint8_t> mask(static_cast<size_t>(w) * h, 0);
    int hub = -1;
    long largest = 0;
    for (size_t i = 0; i < screen.areas.size(); ++i) {
        const MapArea& area = screen.areas[i];
        if (area.door || area.npc || area.polygon.vertices.size() < 3) continue;
        int x0, y0, x1, y1;
        bounds(area.polygon, x0, y0, x1, y1);
        const long size = static_cast<long>(x1 - x0) * (y1 - y0);
        if (size > largest) {
            largest = size;
            hub = static_cast<int>(i);
        }
    }
    if (hub < 0) return mask;
    int hx0, hy0, hx1, hy1;
    bounds(screen.areas[static_cast<size_t>(hub)].polygon, hx0, hy0, hx1, hy1);
    const int hubX = (hx0 + hx1) / 2, hubY = (hy0 + hy1) / 2;
    auto band = [&](int x0, int y0, int x1, int y1) {
        if (x0 > x1) std::swap(x0, x1);
        if (y0 > y1) std::swap(y0, y1);
        for (int y = std::max(0, y0 - 14); y <= std::min(h - 1, y1 + 14); ++y)
            for (int x = std::max(0, x0 - 14); x <= std::min(w - 1, x1 + 14); ++x) {
                // ragged edges on the 2-pixel grid
                const bool edge = y < y0 - 11 || y > y1 + 11 || x < x0 - 11 || x > x1 + 11;
                if (!edge || hashPoint(x / 2, y / 2, 909) % 2 == 0) mask[static_cast<size_t>(y) * w + x] = 1;
            }
    };
    for (const MapArea& area : screen.areas) {
        if (!area.door || area.polygon.vertices.size() < 3) continue;
        int x0, y0, x1, y1;
        bounds(area.polygon, x0, y0, x1, y1);
        const int doorX = (x0 + x1) / 2, doorY = (y0 + y1) / 2;
        const bool aboveOrBelow = doorY < hy0 || doorY > hy1;
        if (aboveOrBelow) {
            band(doorX, doorY, doorX, hubY);
            band(doorX, hubY, hubX, hubY);
        } else {
            band(doorX, doorY, hubX, doorY);
            band(hubX, doorY, hubX, hubY);
        }
    }
    return mask;
}

// An area the hero can stand in: not a door (which takes him away at once), and not an NPC's place unless
// the story rules can take the NPC away.
bool standable(const MapArea& area) {
    return !area.door && (!area.npc || area.npcMayLeave);
}

// The ground as painted: every pixel of an area, and beyond the areas every pixel the hero's figure covers
// while he stands on a multiple of his step inside an area he can stand in, which counts as that area's.
// So walls and cliffs are painted only where his figure never is.
std::vector<int16_t> groundReach(const MapScreen& screen, const std::vector<int16_t>& owner, int w, int h) {
    std::vector<int16_t> ground = owner;
    for (size_t i = 0; i < screen.areas.size(); ++i) {
        const MapArea& area = screen.areas[i];
        if (!standable(area) || area.polygon.vertices.size() < 3) continue;
        int x0, y0, x1, y1;
        bounds(area.polygon, x0, y0, x1, y1);
        auto firstStep = [](int v) {
            return v >= 0 ? (v + heroStep - 1) / heroStep * heroStep : v / heroStep * heroStep;
        };
        for (int y = firstStep(y0); y <= y1; y += heroStep) {
            for (int x = firstStep(x0); x <= x1; x += heroStep) {
                if (!polygonContains(area.polygon, x, y)) continue;
                for (int py = std::max(0, y + heroFigureTop); py <= std::min(h - 1, y + heroFigureBottom); ++py) {
                    for (int px = std::max(0, x + heroFigureLeft); px <= std::min(w - 1, x + heroFigureRight); ++px) {
                        int16_t& at = ground[static_cast<size_t>(py) * w + px];
                        if (at < 0) at = static_cast<int16_t>(i);
                    }
                }
            }
        }
    }
    return ground;
}

// How many pixels of open ground (an area that is neither a door nor an NPC's place) lie in a band a few
// pixels wide along each side of the box: left, right, above, below; and which area owns most of them.
struct Surroundings {
    std::array<int, 4> sides{};  // left, right, above, below
    int mostArea = -1;
};

Surroundings surroundings(const MapScreen& screen, const std::vector<int16_t>& owner, int w, int h, int x0, int y0,
                          int x1, int y1) {
    Surroundings around;
    std::map<int, int> byArea;
    auto look = [&](int side, int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const int a = owner[static_cast<size_t>(y) * w + x];
        if (a < 0) return;
        const MapArea& area = screen.areas[static_cast<size_t>(a)];
        if (area.door || area.npc) return;
        ++around.sides[static_cast<size_t>(side)];
        ++byArea[a];
    };
    for (int d = 1; d <= 3; ++d) {
        for (int y = y0; y <= y1; ++y) {
            look(0, x0 - d, y);
            look(1, x1 + d, y);
        }
        for (int x = x0; x <= x1; ++x) {
            look(2, x, y0 - d);
            look(3, x, y1 + d);
        }
    }
    int best = 0;
    for (const auto& [a, count] : byArea)
        if (count > best) best = count, around.mostArea = a;
    return around;
}

// A door's arrow points out of the screen: away from the side where the ground it is entered from lies.
void paintDoorArrow(cairo_t* pen, const Surroundings& around, double cx, double cy, double r) {
    const auto& sides = around.sides;
    const size_t from = static_cast<size_t>(std::max_element(sides.begin(), sides.end()) - sides.begin());
    // unit vector of the way out: the opposite of the side the ground lies on; down when no ground is near
    double ux = 0, uy = 1;
    if (sides[from] > 0) {
        const double ways[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        ux = ways[from][0];
        uy = ways[from][1];
    }
    // a point, two corners behind it across the way, and an inner notch for the chevron's shape
    auto at = [&](double along, double across) {
        return std::pair<double, double>{cx + ux * along - uy * across, cy + uy * along + ux * across};
    };
    const auto tip = at(r, 0), left = at(-r / 2, -r), right = at(-r / 2, r);
    fillPolygon(pen, {tip.first, tip.second, left.first, left.second, right.first, right.second}, colors::gold);
    const auto tip2 = at(r / 2 + 1, 0), left2 = at(-r / 2 + 1, -r / 2), right2 = at(-r / 2 + 1, r / 2);
    fillPolygon(pen, {tip2.first, tip2.second, left2.first, left2.second, right2.first, right2.second}, colors::orange);
}

}  // namespace

bool levelsJoin(int a, int b) {
    auto step = [](int from, int to) { return from == 100 || to == 100 || (to != -100 && to == from); };
    return step(a, b) || step(b, a);
}

SurfacePtr paintMapScreen(const MapScreen& screen) {
    int maxX = 0, maxY = 0;
    for (const MapArea& area : screen.areas) {
        for (const PolygonPoint& p : area.polygon.vertices) {
            maxX = std::max(maxX, static_cast<int>(std::ceil(p.x)));
            maxY = std::max(maxY, static_cast<int>(std::ceil(p.y)));
        }
    }
    const int w = std::min(8000, (maxX + mapMargin + 1) / 2 * 2);
    const int h = std::min(8000, (maxY + mapMargin + 1) / 2 * 2);
    const Theme theme = themeOf(screen);
    const bool below = underground(theme, screen);
    std::vector<int16_t> owner(static_cast<size_t>(w) * h, -1);
    // later areas first, so where areas overlap the first one owns the pixel, as the area search finds it
    for (int i = static_cast<int>(screen.areas.size()) - 1; i >= 0; --i) {
        scanPolygon(screen.areas[static_cast<size_t>(i)].polygon, w, h,
                    [&](int x, int y) { owner[static_cast<size_t>(y) * w + x] = static_cast<int16_t>(i); });
    }
    std::vector<AreaLook> looks;
    for (const MapArea& area : screen.areas) looks.push_back(lookOf(area, theme, below));
    // an NPC stands on the ground of the area he is talked to from
    for (size_t i = 0; i < screen.areas.size(); ++i) {
        const MapArea& area = screen.areas[i];
        if (!area.npc || area.door || area.polygon.vertices.size() < 3) continue;
        int x0, y0, x1, y1;
        bounds(area.polygon, x0, y0, x1, y1);
        const int beside = surroundings(screen, owner, w, h, x0, y0, x1, y1).mostArea;
        if (beside >= 0) looks[i] = looks[static_cast<size_t>(beside)];
    }
    const std::vector<int16_t> ground = groundReach(screen, owner, w, h);
    const Distances d = measure(ground, w, h);
    const std::vector<uint8_t> paths = pathsFromDoors(screen, w, h);

    SurfacePtr picture = newSurface(w, h);
    cairo_surface_flush(picture.get());
    unsigned char* data = cairo_image_surface_get_data(picture.get());
    const int stride = cairo_image_surface_get_stride(picture.get());
    for (int y = 0; y < h; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < w; ++x) {
            const size_t at = static_cast<size_t>(y) * w + x;
            const int a = ground[at];
            uint32_t rgb;
            if (a >= 0) {
                const MapArea& area = screen.areas[static_cast<size_t>(a)];
                const AreaLook& look = looks[static_cast<size_t>(a)];
                rgb = groundColor(look.ground, x, y, a);
                if (paths[at] && !area.door && !area.npc && owner[at] == a) {
                    if (look.ground == Ground::grass || look.ground == Ground::meadow)
                        rgb = groundColor(Ground::dirt, x, y, a);
                    else if (look.ground == Ground::paving)
                        rgb = groundColor(Ground::plaza, x, y, a);
                    else if (look.ground == Ground::caveFloor || look.ground == Ground::moss)
                        rgb = mix(groundColor(look.ground, x, y, a), colors::tan, 0.3);
                }
                if (look.dark) rgb = darker(rgb, 0.35);
                // a soft shadow under the wall face to the north
                if (d.above[at] <= 4 && y > 0 && ground[at - static_cast<size_t>(w)] < 0)
                    rgb = darker(rgb, 0.3);
                else if (d.above[at] <= 3)
                    rgb = darker(rgb, 0.18);
                // a low ledge where two areas do not join
                const int right = x + 1 < w ? ground[at + 1] : -1;
                const int down = y + 1 < h ? ground[at + static_cast<size_t>(w)] : -1;
                const int left = x > 0 ? ground[at - 1] : -1;
                const int up = y > 0 ? ground[at - static_cast<size_t>(w)] : -1;
                for (int other : {right, down, left, up}) {
                    if (other >= 0 && other != a &&
                        !levelsJoin(area.level, screen.areas[static_cast<size_t>(other)].level)) {
                        rgb = colors::ink;
                    }
                }
            } else {
                const int16_t side = std::min(d.left[at], d.right[at]);
                rgb = outsideColor(theme, below, x, y, d.above[at], d.below[at], side);
            }
            row[x] = 0xff000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(picture.get());

    PenPtr holder = newPen(picture.get());
    cairo_t* pen = holder.get();
    // doors: a gold frame and an arrow out of the screen; bosses: a warning circle
    for (const MapArea& area : screen.areas) {
        int x0, y0, x1, y1;
        bounds(area.polygon, x0, y0, x1, y1);
        if (area.polygon.vertices.size() < 3) continue;
        const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0;
        if (area.door) {
            setColor(pen, colors::gold);
            cairo_set_line_width(pen, 2);
            cairo_move_to(pen, area.polygon.vertices[0].x, area.polygon.vertices[0].y);
            for (const PolygonPoint& p : area.polygon.vertices) cairo_line_to(pen, p.x, p.y);
            cairo_close_path(pen);
            cairo_stroke(pen);
            const double r = std::min(12.0, std::min(x1 - x0, y1 - y0) / 3.0);
            paintDoorArrow(pen, surroundings(screen, owner, w, h, x0, y0, x1, y1), cx, cy, r);
        }
        if (area.boss) {
            const double r = std::clamp(std::min(x1 - x0, y1 - y0) / 3.0, 16.0, 70.0);
            setColor(pen, colors::red, 0.85);
            cairo_set_line_width(pen, 4);
            cairo_arc(pen, std::round(cx), std::round(cy), r, 0, 2 * M_PI);
            cairo_stroke(pen);
            setColor(pen, colors::violet, 0.8);
            cairo_set_line_width(pen, 2);
            cairo_arc(pen, std::round(cx), std::round(cy), r * 0.7, 0, 2 * M_PI);
            cairo_stroke(pen);
            std::vector<double> star;
            for (int i = 0; i < 5; ++i) {
                const double angle = -M_PI / 2 + i * 4 * M_PI / 5;
                star.push_back(std::round(cx) + r * 0.7 * std::cos(angle));
                star.push_back(std::round(cy) + r * 0.7 * std::sin(angle));
            }
            setColor(pen, colors::red, 0.6);
            cairo_set_line_width(pen, 2);
            cairo_move_to(pen, star[0], star[1]);
            for (size_t i = 2; i < star.size(); i += 2) cairo_line_to(pen, star[i], star[i + 1]);
            cairo_close_path(pen);
            cairo_stroke(pen);
        }
    }

    // landmarks, only where neither the ground nor its walls are near
    MaskSums mask;
    mask.width = w;
    mask.height = h;
    mask.sums.assign(static_cast<size_t>(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y) {
        int32_t rowSum = 0;
        for (int x = 0; x < w; ++x) {
            rowSum += ground[static_cast<size_t>(y) * w + x] >= 0 ? 1 : 0;
            mask.sums[static_cast<size_t>(y + 1) * (w + 1) + x + 1] =
                mask.sums[static_cast<size_t>(y) * (w + 1) + x + 1] + rowSum;
        }
    }
    const std::vector<Landmark> kinds = landmarksOf(theme);
    std::map<std::pair<int, int>, SurfacePtr> sprites;
    if (!kinds.empty()) {
        const int step = theme == Theme::town || theme == Theme::city ? 52 : 40;
        std::vector<std::array<int, 4>> placed;
        for (int gy = 0; gy < h; gy += step) {
            for (int gx = 0; gx < w; gx += step) {
                const uint32_t roll = hashPoint(gx, gy, 4242 + static_cast<uint32_t>(screen.index));
                if (roll % 100 >= (theme == Theme::water ? 12u : 70u)) continue;
                const Landmark kind = kinds[(roll / 100) % kinds.size()];
                const LandmarkShape shape = shapeOf(kind);
                const int x = gx + static_cast<int>((roll >> 8) % static_cast<uint32_t>(step));
                const int y = gy + static_cast<int>((roll >> 16) % static_cast<uint32_t>(step));
                if (x + shape.width > w || y + shape.height > h) continue;
                // keep clear of the ground, its wall faces (above it) and ledges (below it)
                if (mask.count(x - 10, y - 12, x + shape.width + 10, y + shape.height + 24) > 0) continue;
                bool overlaps = false;
                for (const auto& box : placed)
                    if (x < box[2] && box[0] < x + shape.width && y < box[3] && box[1] < y + shape.height)
                        overlaps = true;
                if (overlaps) continue;
                placed.push_back({x, y, x + shape.width, y + shape.height});
                const int variant = static_cast<int>((roll >> 24) % 4);
                auto& sprite = sprites[{static_cast<int>(kind), variant}];
                if (!sprite) sprite = paintLandmark(kind, variant);
                blit(pen, sprite.get(), x, y);
            }
        }
    }
    return picture;
}
