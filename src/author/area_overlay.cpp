// The area overlay shared by quorvath-paint and the test-play view: outlines coloured by level, labels, NPC boxes.
#include "author/area_overlay.h"

#include <cstddef>

#include "core/areas.h"
#include "core/game_state.h"
#include "platform/graphics.h"
#include "platform/polygon.h"

namespace {

constexpr uint32_t bossColour = 0xFFFF2020, doorColour = 0xFFFF8000, npcColour = 0xFFFF40FF;

uint32_t levelColour(int32_t level) {
    if (level == levelJoinsAll) return 0xFF40E0FF;
    if (level == levelOnlyFromJoin) return 0xFFFF40C0;
    static const uint32_t palette[] = {0xFFFFE040, 0xFF80FF40, 0xFFFF9040, 0xFF40A0FF, 0xFFC080FF, 0xFFFFFFFF};
    return palette[static_cast<uint32_t>(level) % 6];
}

PolygonPoint centre(const Polygon& polygon) {
    PolygonPoint sum;
    for (const auto& p : polygon.vertices) {
        sum.x += p.x;
        sum.y += p.y;
    }
    const float n = polygon.vertices.empty() ? 1.0f : static_cast<float>(polygon.vertices.size());
    return {sum.x / n, sum.y / n};
}

}  // namespace

void drawOutline(Canvas& canvas, const Polygon& polygon, uint32_t argb, float width, int32_t offsetX, int32_t offsetY) {
    const auto& v = polygon.vertices;
    for (size_t i = 0; i < v.size(); ++i) {
        const auto& a = v[i];
        const auto& b = v[(i + 1) % v.size()];
        drawLine(canvas, static_cast<int32_t>(a.x) + offsetX, static_cast<int32_t>(a.y) + offsetY,
                 static_cast<int32_t>(b.x) + offsetX, static_cast<int32_t>(b.y) + offsetY, argb, width);
    }
}

void drawOutlinedText(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y, uint32_t argb) {
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx || dy) drawText(canvas, font, text, x + dx, y + dy, 0xFF000000);
    drawText(canvas, font, text, x, y, argb);
}

void drawAreaOverlay(Canvas& canvas, const GameState& game, const Font& font, int32_t offsetX, int32_t offsetY,
                     bool withNpcPictures, const std::vector<ViewBox>& keepClear, ViewBox within) {
    if (within.width <= 0 || within.height <= 0) within = {0, 0, canvasWidth(canvas), canvasHeight(canvas)};
    // A label never hides an NPC: the talk area around one has its label right on the NPC's picture otherwise.
    std::vector<ViewBox> clear = keepClear;
    for (const NpcPicture& npc : game.npcPictures)
        clear.push_back({npc.x + offsetX, npc.y + offsetY, npc.frameWidth, npc.frameHeight});
    const auto placeLabel = [&](const std::string& text, int32_t x, int32_t y, uint32_t argb) {
        int32_t width = 0, height = 0;
        textSize(font, text, width, height);
        // The box takes in the text's one-pixel rim.
        const ViewBox at = clearPlace({x - 1, y - 1, width + 2, height + 2}, {}, clear, within);
        drawOutlinedText(canvas, font, text, at.x + 1, at.y + 1, argb);
    };
    for (int32_t i = 0; i < static_cast<int32_t>(game.areas.size()); ++i) {
        const AreaRecord& area = game.areas[i];
        const bool boss = area.bossNum >= 0;
        drawOutline(canvas, area.polygon,
                    boss           ? bossColour
                    : area.hasDoor ? doorColour
                                   : levelColour(area.level),
                    boss || area.hasDoor ? 4.0f : 2.0f, offsetX, offsetY);
        const PolygonPoint c = centre(area.polygon);
        std::string label = "#" + std::to_string(i) + " L" + std::to_string(area.level);
        if (area.enemyCount > 0) label += " E" + std::to_string(area.enemyCount);
        if (area.hasDoor)
            label += "\n→ " + std::to_string(area.door.next) + " (" + std::to_string(area.door.resetX) + "," +
                     std::to_string(area.door.resetY) + ")";
        if (boss) label += "\nBOSS " + std::to_string(area.bossNum) + " flag " + std::to_string(area.bossFlag);
        placeLabel(label, static_cast<int32_t>(c.x) - 20 + offsetX, static_cast<int32_t>(c.y) - 8 + offsetY,
                   boss ? 0xFFFF6060 : 0xFFFFFFFF);
    }
    // NPCs: the picture's box, its top-right corner on the anchor (the area's last vertex).
    for (const NpcPicture& npc : game.npcPictures) {
        const int32_t x = npc.x + offsetX, y = npc.y + offsetY, w = npc.frameWidth, h = npc.frameHeight;
        if (withNpcPictures) drawPictureRect(canvas, npc.picture, x, y, npc.frame * w, 0, w, h);
        drawLine(canvas, x, y, x + w, y, npcColour, 2);
        drawLine(canvas, x + w, y, x + w, y + h, npcColour, 2);
        drawLine(canvas, x + w, y + h, x, y + h, npcColour, 2);
        drawLine(canvas, x, y + h, x, y, npcColour, 2);
        fillEllipse(canvas, static_cast<float>(x + w - 4), static_cast<float>(y - 4), 8, 8, npcColour);
        const AreaRecord* area = areaAt(game, npc.areaIndex);
        const std::string id = area != nullptr ? std::to_string(area->npc.imageId) : std::string("?");
        placeLabel("NPC " + id, x, y + h + 2, npcColour);
    }
}
