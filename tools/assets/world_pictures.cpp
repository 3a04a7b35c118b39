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
#include "data/xml_access.h"
#include "maps.h"
#include "paint.h"
#include "sprites.h"
#include "world/story_events.h"

using namespace paint;

namespace {

bool dataFileExists(const char* path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The first element of that name under the root element, or nothing when the root is another.
XmlNodeList childrenOfRoot(const XmlDocument& document, const std::string& root, const std::string& child) {
    const XmlNodeList roots = selectNodes(document, root);
    if (roots.length() == 0) return {};
    return selectNodes(roots.item(0), child);
}

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

void makeNpcPictures(OutputPlan& plan, Made& made) {
    if (!dataFileExists(npcPictureFile.name)) return;
    runXmlLoader(npcPictureFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList npcs = childrenOfRoot(document, "npcpictdatas", "npc");
        for (int32_t i = 0; i < npcs.length(); ++i) {
            const XmlNode npc = npcs.item(i);
            const std::string pict = attributeText(npc, "pict");
            if (pict.empty() || !made.first(pict) || !needsWriting(plan, pict)) continue;
            const std::string file = std::filesystem::path(outputPath(pict)).stem().string();
            write(plan, pict, paintNpcStrip(file, attributeInt(npc, "x"), attributeInt(npc, "y")));
        }
        return 1;
    });
}

void makeBossPictures(OutputPlan& plan, Made& made) {
    if (!dataFileExists(bossDataFile.name)) return;
    runXmlLoader(bossDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList bosses = childrenOfRoot(document, "bossdatas", "boss");
        for (int32_t i = 0; i < bosses.length(); ++i) {
            const XmlNode boss = bosses.item(i);
            const std::string name = attributeText(boss, "name");
            const std::string pict = attributeText(boss, "pict");
            const std::string cutin = attributeText(boss, "cutin");
            const int size = std::clamp(attributeInt(boss, "size"), 8, 512);
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
        return 1;
    });
}

void makeMapPictures(OutputPlan& plan, Made& made) {
    if (!dataFileExists(mapDataFile.name)) return;
    runXmlLoader(mapDataFile.gamePath, [&](XmlDocument& document) {
        const XmlNodeList screens = childrenOfRoot(document, "map", "screen");
        for (int32_t s = 0; s < screens.length(); ++s) {
            const XmlNode element = screens.item(s);
            const std::string pict = attributeText(element, "pict");
            if (pict.empty() || !made.first(pict) || !needsWriting(plan, pict)) continue;
            MapScreen screen;
            screen.index = s;
            screen.name = attributeText(element, "name");
            const XmlNodeList areas = selectNodes(element, "area");
            const int32_t count = std::min(attributeInt(element, "areanum"), areas.length());
            for (int32_t a = 0; a < count; ++a) {
                const XmlNode areaElement = areas.item(a);
                MapArea area;
                area.level = attributeInt(areaElement, "level");
                // the polygon as the game builds it: the first pointnum of twenty vertices, missing ones at (0, 0)
                std::vector<PolygonPoint> vertices(20);
                const XmlNodeList points = selectNodes(areaElement, "point");
                for (int32_t p = 0; p < std::min(points.length(), 20); ++p) {
                    vertices[static_cast<size_t>(p)].x = static_cast<float>(attributeInt(points.item(p), "x"));
                    vertices[static_cast<size_t>(p)].y = static_cast<float>(attributeInt(points.item(p), "y"));
                }
                const int32_t used = std::clamp(attributeInt(areaElement, "pointnum"), 0, 20);
                area.polygon.vertices.assign(vertices.begin(), vertices.begin() + used);
                area.npc = selectNodes(areaElement, "npc").length() > 0;
                area.npcMayLeave = std::any_of(npcRules.begin(), npcRules.end(),
                                               [&](const NpcRule& rule) { return rule.screen == s && rule.area == a; });
                area.door = selectNodes(areaElement, "door").length() > 0;
                area.boss = selectNodes(areaElement, "boss").length() > 0;
                screen.areas.push_back(area);
            }
            write(plan, pict, paintMapScreen(screen));
        }
        return 1;
    });
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
    makeNpcPictures(plan, made);
    makeBossPictures(plan, made);
    makeMapPictures(plan, made);
}
