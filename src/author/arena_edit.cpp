// The edit mode's arena points: a boss's gx and gy picked up, dragged and written back with the data floor's exact
// edit, one change of the boss list.
#include "author/arena_edit.h"

#include <cstddef>
#include <string>
#include <vector>

#include "author/test_play.h"
#include "core/data_files.h"
#include "core/game_state.h"
#include "core/world_model.h"
#include "data/xml_edit.h"

namespace {

ArenaMark* heldArena(GameState& game) {
    const int32_t held = game.testPlay.dragArena;
    if (held < 0 || static_cast<std::size_t>(held) >= game.testPlay.arenas.size()) return nullptr;
    return &game.testPlay.arenas[static_cast<std::size_t>(held)];
}

// Puts the held mark back where the file has it and says why the change was not made.
bool refuse(GameState& game, const std::string& why) {
    if (ArenaMark* mark = heldArena(game)) {
        mark->x = mark->fileX;
        mark->y = mark->fileY;
    }
    game.testPlay.dragArena = -1;
    game.testPlay.editProblem = why;
    return false;
}

}  // namespace

bool pressArena(GameState& game, int32_t x, int32_t y) {
    TestPlay& testPlay = game.testPlay;
    int32_t mapX = 0, mapY = 0;
    testPlay.dragArena = -1;
    if (!testPlay.editing || !mapPointUnder(game, x, y, mapX, mapY)) return false;
    int32_t nearest = arenaReach * arenaReach + 1;
    for (std::size_t m = 0; m < testPlay.arenas.size(); ++m) {
        const int64_t dx = int64_t{testPlay.arenas[m].x} - mapX, dy = int64_t{testPlay.arenas[m].y} - mapY;
        if (dx * dx + dy * dy >= nearest) continue;
        nearest = static_cast<int32_t>(dx * dx + dy * dy);
        testPlay.dragArena = static_cast<int32_t>(m);
    }
    return testPlay.dragArena >= 0;
}

void moveArena(GameState& game, int32_t x, int32_t y) {
    int32_t mapX = 0, mapY = 0;
    ArenaMark* mark = heldArena(game);
    if (mark == nullptr || !mapPointUnder(game, x, y, mapX, mapY)) return;
    mark->x = mapX;
    mark->y = mapY;
}

bool releaseArena(GameState& game, EditHistory& history, int32_t x, int32_t y) {
    moveArena(game, x, y);
    const ArenaMark* mark = heldArena(game);
    if (mark == nullptr) return false;
    if (mark->x == mark->fileX && mark->y == mark->fileY) {
        game.testPlay.dragArena = -1;
        return false;
    }
    const WorldModel world = readWorldModel();
    const auto& bosses = world.bosses.entries;
    const auto num = static_cast<std::size_t>(mark->boss);
    if (!world.bosses.opened || mark->boss < 0 || num >= bosses.size())
        return refuse(game, "boss " + std::to_string(mark->boss) + " is not in " + bossDataFile.name);
    // The file on disk is what is changed: when it no longer says what the game shows, the point is not the same.
    if (bosses[num].gx.number() != mark->fileX || bosses[num].gy.number() != mark->fileY)
        return refuse(game, std::string(bossDataFile.name) + " changed since it was read: reload (F5) first");
    std::vector<Spot> spots;
    for (const BossData& boss : bosses) spots.push_back(boss.at);
    const XmlElementAt element = elementAt(spots, num, "boss");
    const std::string gx = std::to_string(mark->x), gy = std::to_string(mark->y);
    const bool written = writeEdit(game, history, bossDataFile.gamePath, [&](std::string& bytes, std::string& why) {
        return setXmlAttribute(bytes, element, "gx", gx, why) && setXmlAttribute(bytes, element, "gy", gy, why);
    });
    if (!written) return refuse(game, game.testPlay.editProblem);
    game.testPlay.dragArena = -1;
    return true;
}
