// Pictures the world's data files name, read through the game's own XML layer: NPC strips from
// NPCPictList.xml, boss sheets and cut-ins from BossData.xml, map screens from BigMapData.xml.
// A missing data file simply means nothing of its kind is made.
#include "world_pictures.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/data_files.h"
#include "core/world_model.h"
#include "maps.h"
#include "paint.h"
#include "sprites.h"
#include "world/map_file.h"
#include "world/story_events.h"

using namespace paint;

namespace {

// Writes a picture once per file name: several entries may share one, and the first one decides.
struct Made {
    std::set<std::string> names;
    bool first(const std::string& gamePath) {
        std::string key = outputPath(gamePath);
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        return !key.empty() && names.insert(key).second;
    }
};

void write(OutputPlan& plan, const std::string& gamePath, SurfacePtr picture) {
    noteWritten(plan, gamePath, writePng(picture.get(), gamePath));
}

void makeNpcPictures(OutputPlan& plan, Made& made, const WorldModel& world) {
    for (const NpcPictureData& npc : world.npcPictures.entries) {
        const std::string& pict = npc.pict.text;
        if (pict.empty() || !made.first(pict) || !needsWriting(plan, pict)) continue;
        const std::string file = std::filesystem::path(outputPath(pict)).stem().string();
        write(plan, pict, paintNpcStrip(file, npc.x.number(), npc.y.number()));
    }
}

void makeBossPictures(OutputPlan& plan, Made& made, const WorldModel& world) {
    for (const BossData& boss : world.bosses.entries) {
        const std::string& name = boss.name.text;
        const std::string& pict = boss.pict.text;
        const std::string& cutin = boss.cutin.text;
        const int size = std::clamp(boss.size.number(), 8, 512);
        if (!pict.empty() && made.first(pict) && needsWriting(plan, pict)) {
            SurfacePtr sheet = newSurface(size * 8, size);
            PenPtr pen = newPen(sheet.get());
            for (int column = 0; column < 8; ++column) {
                SurfacePtr cell = paintBossCell(name, column, size);
                blit(pen.get(), cell.get(), column * size, 0);
            }
            write(plan, pict, std::move(sheet));
        }
        if (!cutin.empty() && made.first(cutin) && needsWriting(plan, cutin)) {
            write(plan, cutin, paintCutIn(name.empty() ? "?" : name, 200, 200));
        }
    }
}

void makeMapPictures(OutputPlan& plan, Made& made, const WorldModel& world) {
    const auto& screens = world.map.entries;
    for (int32_t s = 0; s < static_cast<int32_t>(screens.size()); ++s) {
        const ScreenData& data = screens[static_cast<size_t>(s)];
        const std::string& pict = data.pict.text;
        if (pict.empty() || !made.first(pict) || !needsWriting(plan, pict)) continue;
        MapScreen screen;
        screen.index = s;
        screen.name = data.name.text;
        const int32_t count = std::min(data.areanum.number(), static_cast<int32_t>(data.areas.size()));
        for (int32_t a = 0; a < count; ++a) {
            // the area as the game builds it
            const AreaRecord loaded = areaRecord(data.areas[static_cast<size_t>(a)]);
            MapArea area;
            area.level = loaded.level;
            area.polygon = loaded.polygon;
            area.npc = !loaded.npc.absent;
            area.npcMayLeave = std::any_of(npcRules.begin(), npcRules.end(),
                                           [&](const NpcRule& rule) { return rule.screen == s && rule.area == a; });
            area.door = loaded.hasDoor;
            area.boss = !data.areas[static_cast<size_t>(a)].bosses.empty();
            screen.areas.push_back(area);
        }
        write(plan, pict, paintMapScreen(screen));
    }
}

}  // namespace

void makeWorldPictures(OutputPlan& plan) {
    Made made;
    for (const char* fixed :
         {"pict\\man.png", "pict\\dungan.png", "pict\\tekismall.png", "pict\\mycutin.png", "pict\\VS.png",
          "pict\\サイドメニュー.png", "pict\\sannkaku.png", "pict\\sannkakublack.png", "pict\\めにゅ.png",
          "pict\\めにゅd.png", "pict\\whitebox.png", "pict\\yesnobox.png", "pict\\Wicon.png", "pict\\END.png",
          "pict\\BALL.png", "pict\\TITLE.png"}) {
        made.first(fixed);  // a data file naming a fixed picture never overwrites it
    }
    // The world as the game reads it; a file that is missing or cannot be read gives no pictures.
    const WorldModel world = readWorldModel();
    makeNpcPictures(plan, made, world);
    makeBossPictures(plan, made, world);
    makeMapPictures(plan, made, world);
}
