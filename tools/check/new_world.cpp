// quorvath-check --new DIR: a minimal world an author grows from. A town with an NPC and a field with two enemies,
// a door each way, its own start and music (media/WorldRules.xml), so it needs no filler screens. Its pictures and
// tracks are made by our asset tool, run on the new folder.
#include "new_world.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string repeat(int count, const std::string& line) {
    std::string out;
    for (int i = 0; i < count; ++i) out += "  " + line + "\n";
    return out;
}

// A rectangle as an area's four points; edges on ...5, so the hero, who stands on multiples of 10, is never on one.
std::string box(int left, int top, int right, int bottom) {
    auto point = [](int x, int y) {
        return "      <point x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/>\n";
    };
    return point(left, top) + point(right, top) + point(right, bottom) + point(left, bottom);
}

const char* const header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string mapFile() {
    return std::string(header) +
           "<map>\n"
           "  <!-- screen 0: the town. Area 0 is the ground, area 1 the villager's box above it, area 2 the door east. "
           "-->\n"
           "  <screen name=\"はじまりの町\" areanum=\"3\" pict=\"pict\\town.png\">\n"
           "    <area level=\"1\" pointnum=\"4\">\n" +
           box(95, 295, 905, 705) +
           "    </area>\n"
           "    <area level=\"1\" pointnum=\"4\">\n" +
           box(465, 225, 535, 295) +
           "      <npc imageid=\"0\">\n"
           "        <speech>ようこそ、はじまりの町へ。</speech>\n"
           "        <speech>東の門から草原に出られます。</speech>\n"
           "      </npc>\n"
           "    </area>\n"
           "    <area level=\"1\" pointnum=\"4\">\n" +
           box(905, 465, 975, 535) +
           "      <door next=\"1\" resetx=\"130\" resety=\"500\"/>\n"
           "    </area>\n"
           "  </screen>\n"
           "  <!-- screen 1: the field, with two enemies; the door west leads back to the town. -->\n"
           "  <screen name=\"草原\" areanum=\"2\" pict=\"pict\\field.png\">\n"
           "    <area level=\"1\" pointnum=\"4\" enemynum=\"2\">\n" +
           box(95, 95, 1205, 905) +
           "      <enemy type=\"0\"/>\n"
           "      <enemy type=\"1\"/>\n"
           "    </area>\n"
           "    <area level=\"1\" pointnum=\"4\">\n" +
           box(25, 465, 95, 535) +
           "      <door next=\"0\" resetx=\"870\" resety=\"500\"/>\n"
           "    </area>\n"
           "  </screen>\n"
           "</map>\n";
}

std::string rulesFile() {
    return std::string(header) +
           "<!-- This world's own rules (docs/world-format.md): where a new game starts, its music, and no NPC rules of\n"
           "     the demo story. -->\n"
           "<worldrules>\n"
           "  <start screen=\"0\" area=\"0\" x=\"500\" y=\"500\"/>\n"
           "  <music>\n"
           "    <screen num=\"0\" track=\"town\"/>\n"
           "    <screen num=\"1\" track=\"cave\"/>\n"
           "  </music>\n"
           "  <npcrules/>\n"
           "  <visit screen=\"-1\"/>\n"
           "</worldrules>\n";
}

std::string enemyFile() {
    return std::string(header) + "<enemydatas>\n" + repeat(8, "<enemy life=\"3\" size=\"20\" speed=\"2\"/>") +
           "</enemydatas>\n";
}

std::string weaponFile() {
    return std::string(header) + "<weapondatas>\n" +
           repeat(12,
                  "<enemy name=\"木の剣\" howto=\"ふつうの剣\" power=\"2\" fly=\"0\" speed=\"20\" kayaku=\"0\" "
                  "wait=\"100\" pict=\"0\"/>") +
           "</weapondatas>\n";
}

std::string itemFile() {
    return std::string(header) + "<itemdatas>\n" +
           repeat(15,
                  "<item name=\"やくそう\" use=\"10\" type=\"1\" power=\"30\" time=\"0\" pict=\"0\" "
                  "howto=\"ライフが30もどる\"/>") +
           "</itemdatas>\n";
}

std::string npcFile() {
    return std::string(header) +
           "<npcpictdatas>\n  <npc pict=\"pict\\villager.png\" x=\"40\" y=\"40\" direction=\"0\"/>\n</npcpictdatas>\n";
}

std::string readme() {
    return "# A new Quorvath world\n\n"
           "Made by `quorvath-check --new`. Two screens: the town (screen 0) with a villager and a door east, and the\n"
           "field (screen 1) with two enemies and a door back. `media/WorldRules.xml` starts a new game in the town\n"
           "and chooses the music; the other files hold the map, the NPC picture, enemies, weapons, items and\n"
           "bosses (none yet).\n\n"
           "- Check it: `quorvath-check .` (0 errors, 0 warnings)\n"
           "- Play it: `quorvath .`; while you write, `quorvath --test-play .` reloads your edits as you save.\n"
           "- Pictures: `pict/town.png` and `pict/field.png` were painted from the areas; draw over them freely.\n\n"
           "The format is in the game's docs/world-format.md, the way from here to three screens with a shop, an inn,\n"
           "a boss and a flag in docs/new-world-guide.md.\n";
}

bool write(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

// The asset tool beside this program (the build tree), else where the package puts it.
fs::path assetTool() {
    std::error_code error;
    const fs::path self = fs::canonical("/proc/self/exe", error).parent_path();
    for (const fs::path& candidate : {self / "quorvath-assets", self / "../libexec/quorvath/quorvath-assets"})
        if (fs::exists(candidate, error)) return candidate;
    return {};
}

}  // namespace

int makeNewWorld(const std::string& folder) {
    std::error_code error;
    const fs::path root(folder);
    if (fs::exists(root, error) && !fs::is_empty(root, error)) {
        std::cerr << "quorvath-check: " << folder << " exists and is not empty: a new world is made only in a new "
                  << "or empty folder\n";
        return 2;
    }
    fs::create_directories(root / "media", error);
    fs::create_directories(root / "pict", error);
    const std::pair<const char*, std::string> files[] = {
        {"media/BigMapData.xml", mapFile()},
        {"media/NPCPictList.xml", npcFile()},
        {"media/EnemyData.xml", enemyFile()},
        {"media/WeaponData.xml", weaponFile()},
        {"media/BossData.xml", std::string(header) + "<bossdatas>\n</bossdatas>\n"},
        {"media/ItemData.xml", itemFile()},
        {"media/WorldRules.xml", rulesFile()},
        {"README.md", readme()},
    };
    for (const auto& [name, text] : files) {
        if (!write(root / name, text)) {
            std::cerr << "quorvath-check: cannot write " << (root / name).string() << "\n";
            return 1;
        }
    }
    const fs::path tool = assetTool();
    if (tool.empty()) {
        std::cerr << "quorvath-check: the asset tool quorvath-assets is not installed: the pictures and tracks of "
                  << folder << " were not made\n";
        return 1;
    }
    const std::string command = "'" + tool.string() + "' '" + root.string() + "' >/dev/null";
    if (std::system(command.c_str()) != 0) {
        std::cerr << "quorvath-check: the asset tool could not make every picture and track of " << folder
                  << " (the tracks need lame)\n";
        return 1;
    }
    std::cout << "quorvath-check: a new world in " << folder << "; check it with quorvath-check " << folder
              << " and play it with quorvath " << folder << "\n";
    return 0;
}
