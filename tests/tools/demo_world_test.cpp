// The demo world in game/, read through the game's own loaders: the facts the game's fixed rules need from it,
// and that every door, arena and NPC can be walked to with the real hero step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "combat/boss_catalog.h"
#include "combat/enemies_and_shots.h"
#include "combat/enemy_catalog.h"
#include "combat/weapons.h"
#include "core/areas.h"
#include "core/directions.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "game/frame_tick.h"
#include "game/translation.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "platform/window.h"
#include "test_support.h"
#include "world/item_catalog.h"
#include "world/map_file.h"
#include "world/movement.h"
#include "world/npc_dialogue.h"
#include "world/story_events.h"

namespace {

constexpr int32_t demoScreenCount = 18;
constexpr int32_t demoBossCount = 6;

// Runs the test inside game/, where the data files name their paths from.
class InDemoWorld {
public:
    InDemoWorld() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(std::filesystem::path(QUORVATH_SOURCE_DIR) / "game");
    }
    ~InDemoWorld() { std::filesystem::current_path(previous_); }
    InDemoWorld(const InDemoWorld&) = delete;
    InDemoWorld& operator=(const InDemoWorld&) = delete;

private:
    std::filesystem::path previous_;
};

// The first area containing the point, or -1.
int32_t areaAt(const GameState& game, int32_t x, int32_t y) {
    for (int32_t i = 0; i < static_cast<int32_t>(game.areas.size()); ++i)
        if (polygonContains(game.areas[i].polygon, x, y)) return i;
    return -1;
}

bool hasNpc(const AreaRecord& area) {
    return area.npc.imageId >= 0;
}

std::vector<const SpeechLine*> allLines(const AreaNpc& npc) {
    std::vector<const SpeechLine*> lines;
    for (const auto* list : {&npc.lines, &npc.yesLines, &npc.noLines})
        for (const SpeechLine& line : *list) lines.push_back(&line);
    return lines;
}

// Money flags and the amount each one guarantees when it is 1.
std::map<int32_t, int32_t> moneyFlagGuarantees() {
    std::map<int32_t, int32_t> guarantees;
    for (const MoneyFlag& money : moneyFlags) guarantees[money.flag] = money.bound + 1;
    return guarantees;
}

class DemoWorld : public ::testing::Test {
protected:
    InDemoWorld folder;
    BoxCatcher boxes;
    GameState game;

    void loadScreen(int32_t screen) {
        game.currentMap = screen;
        ASSERT_EQ(loadMapScreen(game), 1) << "screen " << screen;
    }
    void expectNoBoxes() {
        for (const auto& [caption, text] : boxes.boxes()) ADD_FAILURE() << caption << ": " << text;
    }
    // Calls visit with every NPC of every screen, its screen loaded.
    template <typename Visit> void forEachNpc(Visit visit) {
        for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
            loadScreen(screen);
            const std::vector<AreaRecord> areas = game.areas;
            for (size_t i = 0; i < areas.size(); ++i) {
                if (!hasNpc(areas[i])) continue;
                SCOPED_TRACE("screen " + std::to_string(screen) + " area " + std::to_string(i));
                visit(areas[i].npc);
            }
        }
    }
};

TEST_F(DemoWorld, EveryScreenLoadsAndANewGameStartsInAreaOneOfScreenSix) {
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        EXPECT_FALSE(game.mapName.empty());
        EXPECT_EQ(game.areaCount, static_cast<int32_t>(game.areas.size()));
        for (const AreaRecord& area : game.areas) {
            EXPECT_GE(area.polygon.vertices.size(), 3u);
            EXPECT_LE(area.polygon.vertices.size(), static_cast<size_t>(areaPointCapacity));
            EXPECT_LE(area.enemyCount, enemySlotCount);
            EXPECT_LE(area.enemyCount, static_cast<int32_t>(area.enemyTypes.size()));
        }
    }
    expectNoBoxes();
    game.currentMap = demoScreenCount;  // one past the last screen
    EXPECT_EQ(loadMapScreen(game), 0);
    EXPECT_EQ(boxes.boxes().size(), 1u);

    GameState fresh;
    ASSERT_EQ(startFreshGame(fresh), 0);
    EXPECT_EQ(fresh.currentMap, 6);
    EXPECT_EQ(areaAt(fresh, fresh.heroX, fresh.heroY), 1);
    // The first new game steps both slots to weapon 5: the starting sword.
    EXPECT_EQ(fresh.weaponSlotIds[0], 5);
    EXPECT_EQ(fresh.weaponSlotIds[1], 5);
    EXPECT_EQ(fresh.weaponSpace.fly, 0);
    EXPECT_GT(fresh.weaponSpace.power, 0);
    EXPECT_EQ(fresh.selectedItem.id, 0);
}

TEST_F(DemoWorld, TheAreasTheStoryRulesNameHoldNpcs) {
    int32_t named = 0;
    for (const NpcRule& rule : npcRules) {
        if (rule.screen >= demoScreenCount) continue;
        ++named;
        loadScreen(rule.screen);
        ASSERT_LT(rule.area, game.areaCount) << "screen " << rule.screen;
        EXPECT_TRUE(hasNpc(game.areas[rule.area])) << "screen " << rule.screen << " area " << rule.area;
    }
    EXPECT_GT(named, 0);
}

TEST_F(DemoWorld, DoorsLeadIntoOpenGroundAwayFromTheTargetsOwnDoors) {
    struct Door {
        int32_t screen, area, next, x, y;
    };
    std::vector<Door> doors;
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        for (int32_t i = 0; i < game.areaCount; ++i)
            if (game.areas[i].hasDoor)
                doors.push_back(
                    {screen, i, game.areas[i].door.next, game.areas[i].door.resetX, game.areas[i].door.resetY});
    }
    ASSERT_FALSE(doors.empty());
    for (const Door& door : doors) {
        SCOPED_TRACE("door of screen " + std::to_string(door.screen) + " area " + std::to_string(door.area));
        ASSERT_GE(door.next, 0);
        ASSERT_LT(door.next, demoScreenCount);
        loadScreen(door.next);
        const int32_t landing = areaAt(game, door.x, door.y);
        ASSERT_GE(landing, 0);
        EXPECT_FALSE(game.areas[landing].hasDoor);
        EXPECT_FALSE(hasNpc(game.areas[landing]));
        for (const auto& [dx, dy] : {std::pair{10, 0}, {-10, 0}, {0, 10}, {0, -10}}) {
            const int32_t next = areaAt(game, door.x + dx, door.y + dy);
            EXPECT_TRUE(next < 0 || !game.areas[next].hasDoor) << "one step from a door";
        }
    }
    expectNoBoxes();
}

TEST_F(DemoWorld, NpcsStandOnTheirAreasAndTheirSpeechFitsTheMessageWindow) {
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        for (int32_t i = 0; i < game.areaCount; ++i) {
            const AreaRecord& area = game.areas[i];
            if (!hasNpc(area)) continue;
            SCOPED_TRACE("screen " + std::to_string(screen) + " area " + std::to_string(i));
            const auto& v = area.polygon.vertices;
            const PolygonPoint last = polygonLastPoint(area.polygon);
            float minY = v[0].y, maxX = v[0].x, minX = v[0].x, maxY = v[0].y;
            for (const PolygonPoint& p : v) {
                minY = std::min(minY, p.y), maxX = std::max(maxX, p.x);
                minX = std::min(minX, p.x), maxY = std::max(maxY, p.y);
            }
            // The picture hangs from the top-right corner, and the area is solid only if no earlier area
            // swallows it.
            EXPECT_EQ(last.x, maxX);
            EXPECT_EQ(last.y, minY);
            EXPECT_EQ(areaAt(game, static_cast<int32_t>((minX + maxX) / 2), static_cast<int32_t>((minY + maxY) / 2)),
                      i);

            const size_t before = game.npcPictures.size();
            EXPECT_EQ(
                loadNpcPicture(game, area.npc.imageId, static_cast<int32_t>(last.x), static_cast<int32_t>(last.y), i),
                1);
            EXPECT_EQ(game.npcPictures.size(), before + 1);

            const size_t written = area.npc.lines.size() + area.npc.yesLines.size() + area.npc.noLines.size();
            if (area.npc.questionIndex >= 0) {
                EXPECT_LE(written, 9u);
                EXPECT_FALSE(area.npc.yesLines.empty());
                EXPECT_FALSE(area.npc.noLines.empty());
            } else {
                EXPECT_LE(area.npc.lines.size(), 10u);
            }
            for (const SpeechLine* line : allLines(area.npc)) {
                EXPECT_FALSE(line->text.empty());
                EXPECT_LT(line->flagId, storyFlagCount);
                EXPECT_LT(line->setFlagId, storyFlagCount);
                if (line->setFlagId == flagGiveItem || line->setFlagId == flagBuyItem) {
                    EXPECT_GE(line->setFlagValue, 0);
                    EXPECT_LT(line->setFlagValue, itemKindCount);
                }
                if (line->setFlagId == flagGiveWeapon || line->setFlagId == flagBuyWeapon) {
                    EXPECT_GE(line->setFlagValue, 0);
                    EXPECT_LT(line->setFlagValue, weaponKindCount);
                }
            }
        }
    }
    expectNoBoxes();
}

// A clerk offers a purchase only when a money flag guarantees its price: the question is asked exactly when
// the flag is 1 (the plain lines shown then number the question's position) and never when it is 0.
TEST_F(DemoWorld, ShopsAskOnlyWhenTheMoneyFlagsCoverThePrice) {
    const std::map<int32_t, int32_t> moneyFlagBounds = moneyFlagGuarantees();
    int32_t shops = 0;
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        const std::vector<AreaRecord> areas = game.areas;
        for (size_t i = 0; i < areas.size(); ++i) {
            const AreaNpc& npc = areas[i].npc;
            int32_t price = -1;
            for (const SpeechLine& line : npc.yesLines) {
                if (line.setFlagId == flagBuyItem) {
                    ASSERT_EQ(loadItemRecord(game, line.setFlagValue, 0), 1);
                    price = game.selectedItem.use;
                } else if (line.setFlagId == flagBuyWeapon) {
                    ASSERT_EQ(loadWeapon(game, 1, line.setFlagValue), 1);
                    price = game.weaponB.price;
                } else if (line.setFlagId == flagBuyPowder) {
                    price = line.setFlagValue;
                }
            }
            if (price < 0) continue;
            ++shops;
            SCOPED_TRACE("screen " + std::to_string(screen) + " area " + std::to_string(i));
            int32_t moneyFlag = -1;
            for (const SpeechLine& line : npc.lines) {
                ASSERT_TRUE(moneyFlagBounds.count(line.flagId)) << line.text;
                if (moneyFlag < 0) moneyFlag = line.flagId;
                EXPECT_EQ(line.flagId, moneyFlag);
            }
            EXPECT_GE(moneyFlagBounds.at(moneyFlag), price);
            auto shownWhen = [&](int32_t value) {
                return std::count_if(npc.lines.begin(), npc.lines.end(),
                                     [&](const SpeechLine& line) { return line.flagValue == value; });
            };
            EXPECT_EQ(shownWhen(1), npc.questionIndex);
            EXPECT_NE(shownWhen(0), npc.questionIndex);
        }
    }
    EXPECT_GE(shops, 6);
    expectNoBoxes();
}

// The plain lines a message shows before its question (or all of them), joined.
std::string shownText(const GameState& game) {
    std::string text;
    for (int32_t i = 1; i < std::min(game.questionLine, game.messageLineCount); ++i)
        text += worldText(game, game.messageLines[i]) + "\n";
    return text;
}

bool asksAQuestion(const GameState& game) {
    return game.questionLine < game.messageLineCount;
}

// A buyer says where the item he buys is chosen (the item page of the N menu), which item and what it fetches,
// and asks only while the selected item has a price; only no sells, so reading on with V never does.
TEST_F(DemoWorld, BuyersNameTheItemAndItsPriceAskOnlyForAnItemWithAPriceAndSellOnlyOnNo) {
    int32_t buyers = 0;
    forEachNpc([&](const AreaNpc& npc) {
        if (std::none_of(npc.noLines.begin(), npc.noLines.end(), [](const SpeechLine& line) {
                return line.setFlagId == flagSellItem && line.setFlagValue == sellCommand;
            }))
            return;
        ++buyers;
        game.storyFlags[flagSellItem] = 1;
        buildMessage(game, npc);
        EXPECT_TRUE(asksAQuestion(game));
        EXPECT_EQ(game.yesFlagId, -1) << "yes, where the cursor starts, keeps the item";
        EXPECT_EQ(game.noFlagId, flagSellItem);
        for (const char* word : {"Nキー", "どうぐ", "{sell:name}", "{sell:price}G"})
            EXPECT_NE(shownText(game).find(word), std::string::npos) << word;
        game.storyFlags[flagSellItem] = 0;
        buildMessage(game, npc);
        EXPECT_FALSE(asksAQuestion(game));
        EXPECT_NE(shownText(game).find("Nキー"), std::string::npos) << "how to choose an item to sell";
    });
    EXPECT_GE(buyers, 2);
}

// Resting needs no answer: every heal comes from a plain line, so an innkeeper or a save stone asks one
// question at most, whether to save.
TEST_F(DemoWorld, PlacesOfRestHealAtOnceAndAskOnlyWhetherToSave) {
    int32_t healers = 0;
    forEachNpc([&](const AreaNpc& npc) {
        for (const auto* answers : {&npc.yesLines, &npc.noLines})
            for (const SpeechLine& line : *answers) EXPECT_NE(line.setFlagId, flagHeal) << "a heal waits for an answer";
        if (std::none_of(npc.lines.begin(), npc.lines.end(),
                         [](const SpeechLine& line) { return line.setFlagId == flagHeal; }))
            return;
        game.storyFlags[flagHeal] = 0;
        game.storyFlags[36] = 1;  // the spirit of light has given her gun: she only heals
        buildMessage(game, npc);
        EXPECT_EQ(game.storyFlags[flagHeal], 1) << "the heal comes with the first words";
        if (asksAQuestion(game)) {
            ++healers;
            EXPECT_EQ(game.yesFlagId, flagSave);
        }
    });
    EXPECT_GE(healers, 2) << "the two inns";
}

// Before the first field, someone in the town tells how to attack: the two keys and their two weapons.
TEST_F(DemoWorld, SomeoneInTheTownTellsHowToAttackWithTheTwoWeaponKeys) {
    loadScreen(6);
    bool told = false;
    for (const AreaRecord& area : game.areas) {
        std::string text;
        for (const SpeechLine& line : area.npc.lines) text += line.text;
        // The keys are named by their actions, drawn as the keys the player bound: a new player's here.
        told |= text.find("{key:attack_space}") != std::string::npos &&
                worldText(game, text).find("スペースキー") != std::string::npos &&
                worldText(game, text).find("Bキー") != std::string::npos && text.find("ぶき") != std::string::npos;
    }
    EXPECT_TRUE(told);
}

TEST_F(DemoWorld, TheEightEnemyKindsAreSensibleAndAllAppear) {
    ASSERT_EQ(loadEnemyCatalog(game), 1);
    for (const EnemyType& kind : game.enemyCatalog) {
        EXPECT_GT(kind.life, 0);
        EXPECT_GT(kind.size, 5);
        EXPECT_GT(kind.speed, 0);
        EXPECT_LT(kind.speed, game.heroSpeed);
    }
    std::set<int32_t> used;
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        for (const AreaRecord& area : game.areas)
            for (int32_t k = 0; k < area.enemyCount; ++k) {
                EXPECT_GE(area.enemyTypes[k], 0);
                EXPECT_LT(area.enemyTypes[k], enemyKindCount);
                used.insert(area.enemyTypes[k]);
            }
    }
    EXPECT_EQ(used.size(), static_cast<size_t>(enemyKindCount));
    expectNoBoxes();
}

TEST_F(DemoWorld, BossesUseEveryPatternEveryBattleTrackAndTheLastOneStartsTheEnding) {
    // Where each boss waits: its area's polygon, for the arena point.
    std::map<int32_t, Polygon> arenas;
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        for (const AreaRecord& area : game.areas)
            if (area.bossNum >= 0) {
                EXPECT_FALSE(arenas.count(area.bossNum)) << "boss " << area.bossNum << " waits twice";
                arenas[area.bossNum] = area.polygon;
                EXPECT_GE(area.bossFlag, 0);
                EXPECT_LT(area.bossFlag, storyFlagCount);
            }
    }
    ASSERT_EQ(static_cast<int32_t>(arenas.size()), demoBossCount);

    std::set<int32_t> patterns;
    std::set<std::string> tracks;
    int32_t endings = 0;
    for (const auto& [number, arena] : arenas) {
        SCOPED_TRACE("boss " + std::to_string(number));
        ASSERT_EQ(loadBoss(game, number), 1);
        const BossRecord& boss = game.boss;
        ASSERT_GT(bossTrack(WorldRules{}, boss.name), 0) << boss.name;
        tracks.insert(trackByNumber[bossTrack(WorldRules{}, boss.name)]);
        EXPECT_TRUE(polygonContains(arena, boss.gx, boss.gy));
        // The boss starts inside its arena too (its map position is x + gx - 300, y + gy - 300).
        EXPECT_TRUE(polygonContains(arena, boss.x + boss.gx - 300, boss.y + boss.gy - 300));
        EXPECT_FALSE(boss.openingSpeech.empty());
        EXPECT_FALSE(boss.closingSpeech.empty());
        EXPECT_LE(boss.openingSpeech.size(), 10u);
        EXPECT_LE(boss.closingSpeech.size(), 10u);
        EXPECT_GT(boss.maxlife, 0);
        EXPECT_GT(boss.size, 0);
        EXPECT_LT(boss.nearBand, boss.middleBand);
        for (const BossAttack& attack : boss.attacks) {
            EXPECT_GE(attack.type, 0);
            EXPECT_LE(attack.type, 9);
            patterns.insert(attack.type);
            // Shots that could take a fresh hero's whole life in a few hits make the boss unfair.
            EXPECT_GT(attack.power, 0);
            EXPECT_LE(attack.power, 15);
        }
        if (boss.flagId == flagScreenMode && boss.flagValue == 1) ++endings;
    }
    EXPECT_EQ(patterns.size(), 10u);
    EXPECT_EQ(tracks, (std::set<std::string>{"battle", "battle2", "cave2", "cave3"}));
    EXPECT_EQ(endings, 1);
    expectNoBoxes();
    EXPECT_EQ(loadBoss(game, demoBossCount), 0);  // one past the last boss
}

TEST_F(DemoWorld, FifteenItemsAndTwelveWeaponsOfEveryKind) {
    std::set<int32_t> itemTypes;
    for (int32_t id = 0; id < itemKindCount; ++id) {
        ASSERT_EQ(loadItemRecord(game, id, 0), 1) << "item " << id;
        EXPECT_FALSE(game.selectedItem.name.empty());
        EXPECT_FALSE(game.selectedItem.howto.empty());
        itemTypes.insert(game.selectedItem.type);
    }
    EXPECT_EQ(itemTypes, (std::set<int32_t>{0, 1, 2, 3, 4}));
    ASSERT_EQ(loadItemRecord(game, 6, 0), 1);
    EXPECT_GT(game.selectedItem.use, 0) << "the enemy drop can be sold";

    std::set<int32_t> kinds;
    for (int32_t id = 0; id < weaponKindCount; ++id) {
        ASSERT_EQ(loadWeapon(game, 0, id), 1) << "weapon " << id;
        EXPECT_FALSE(game.weaponSpace.name.empty());
        EXPECT_GT(game.weaponSpace.power, 0);
        EXPECT_GT(game.weaponSpace.speed, 0);
        kinds.insert(game.weaponSpace.fly);
    }
    EXPECT_EQ(kinds, (std::set<int32_t>{0, 1, 2, 3}));
    ASSERT_EQ(loadWeapon(game, 0, 0), 1);
    EXPECT_EQ(game.weaponSpace.fly, 1) << "weapon 0 is the small gun";
    ASSERT_EQ(loadWeapon(game, 0, 5), 1);
    EXPECT_EQ(game.weaponSpace.fly, 0) << "weapon 5 is the starting sword";
    expectNoBoxes();
}

// Everything one walk over a screen met: the areas stood in or stepped into (doors too), and the NPCs faced.
struct Walk {
    std::set<int32_t> reached, talked;
};

// Walks the loaded screen with the game's own step from one point, every way the arrow keys allow. A step
// through a door is noted and undone, so the walk stays on the screen.
Walk walkFrom(GameState& game, int32_t startX, int32_t startY) {
    const int32_t screen = game.currentMap;
    const std::vector<AreaRecord> areas = game.areas;
    const std::array<int32_t, 4> keys = {vkRight, vkLeft, vkDown, vkUp};
    const std::array<std::pair<int32_t, int32_t>, 4> ahead = {{{1, 0}, {-1, 0}, {0, 1}, {0, -1}}};
    Walk walk;
    std::set<std::tuple<int32_t, int32_t, int32_t>> seen;
    std::vector<std::tuple<int32_t, int32_t, int32_t>> todo;
    const int32_t startArea = areaAt(game, startX, startY);
    if (startArea < 0) return walk;
    seen.insert({startX, startY, startArea});
    todo.push_back({startX, startY, startArea});
    game.scene = sceneField;
    while (!todo.empty()) {
        const auto [x, y, a] = todo.back();
        todo.pop_back();
        walk.reached.insert(a);
        for (size_t k = 0; k < keys.size(); ++k) {
            const auto [dx, dy] = ahead[k];
            const int32_t faced = areaAt(game, x + 15 * dx, y + 15 * dy);  // the talk probe
            if (faced >= 0 && hasNpc(areas[faced]) &&
                (areas[faced].level == 100 || areas[faced].level == areas[a].level))
                walk.talked.insert(faced);
            const int32_t proposed = areaAt(game, x + 10 * dx, y + 10 * dy);
            game.heroX = x, game.heroY = y, game.currentArea = a;
            game.keyDown = {};
            game.keyDown[keys[k]] = 1;
            fieldStep(game);
            if (game.currentMap != screen) {
                walk.reached.insert(proposed);
                game.currentMap = screen;
                game.areas = areas;
                game.areaCount = static_cast<int32_t>(areas.size());
                continue;
            }
            if (seen.insert({game.heroX, game.heroY, game.currentArea}).second)
                todo.push_back({game.heroX, game.heroY, game.currentArea});
        }
    }
    return walk;
}

// From wherever the hero can arrive on a screen (the start, and every door's reset point), with every NPC
// stepped aside, every door and arena can be walked to and every NPC faced.
TEST_F(DemoWorld, EveryDoorArenaAndNpcCanBeReachedOnFootFromEveryArrival) {
    std::map<int32_t, std::vector<std::pair<int32_t, int32_t>>> arrivals;
    arrivals[6].push_back({700, 550});
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        loadScreen(screen);
        for (const AreaRecord& area : game.areas)
            if (area.hasDoor) arrivals[area.door.next].push_back({area.door.resetX, area.door.resetY});
    }
    for (int32_t screen = 0; screen < demoScreenCount; ++screen) {
        ASSERT_FALSE(arrivals[screen].empty()) << "no way onto screen " << screen;
        for (const auto& [x, y] : arrivals[screen]) {
            SCOPED_TRACE("screen " + std::to_string(screen) + " from " + std::to_string(x) + "," + std::to_string(y));
            loadScreen(screen);
            for (AreaRecord& area : game.areas) area.npc.absent = true;
            const Walk walk = walkFrom(game, x, y);
            for (int32_t i = 0; i < game.areaCount; ++i) {
                if (hasNpc(game.areas[i]))
                    EXPECT_TRUE(walk.talked.count(i)) << "nobody can talk to the NPC of area " << i;
                else
                    EXPECT_TRUE(walk.reached.count(i)) << "area " << i << " is never reached";
            }
        }
    }
}

}  // namespace

namespace {

constexpr int32_t townScreen = 6;
constexpr int32_t firstFieldScreen = 7;

// A new game played tick by tick on the manual clock, the hero just through the town's door into the first
// field at level 1 with the starting sword.
class FirstField : public DemoWorld {
protected:
    // A fresh game with the hero at the entrance and the enemies' dice seeded.
    void arrive(unsigned seed) {
        game = GameState{};
        useManualClock(1000);
        ASSERT_EQ(startFreshGame(game), 0);
        game.lastTickTime = clockMillis();
        giveDrawingSurfaces(game);
        loadScreen(townScreen);
        for (const AreaRecord& area : game.areas)
            if (area.hasDoor && area.door.next == firstFieldScreen) entrance = {area.door.resetX, area.door.resetY};
        ASSERT_NE(entrance.first, 0) << "the town has a door to the first field";
        loadScreen(firstFieldScreen);
        game.heroX = entrance.first;
        game.heroY = entrance.second;
        locateHeroArea(game);
        runStoryEvents(game);
        game.scene = sceneField;
        ASSERT_EQ(game.heroLevel, 1);
        ASSERT_EQ(game.weaponSpace.fly, 0) << "the starting sword";
        std::srand(seed);
    }

    // One tick with these keys held; they are let go after it.
    void tick(std::initializer_list<int32_t> keys = {}) {
        for (int32_t key : keys) game.keyDown[key] = 1;
        advanceManualClock(80);
        frameTick(game);
        for (int32_t key : keys) game.keyDown[key] = game.keyLatch[key] = 0;
    }

    std::vector<const EnemySlot*> livingEnemies() const {
        std::vector<const EnemySlot*> living;
        for (int32_t k = 0; k < areaEnemyCount(game); ++k)
            if (game.enemySlots[k].life > 0) living.push_back(&game.enemySlots[k]);
        return living;
    }
    // Where an enemy stands in the view, whose centre is the hero.
    std::pair<int32_t, int32_t> inView(const EnemySlot& enemy) const {
        return {enemy.x + enemy.anchorX - game.heroX, enemy.y + enemy.anchorY - game.heroY};
    }
    // Whether a swing of the Space sword the way the hero faces would reach the enemy, a few pixels to spare.
    bool inReach(const EnemySlot& enemy) const {
        const auto [vx, vy] = inView(enemy);
        const int32_t facing = game.heroDir / 2 * 2;
        const bool beyond = facing == dirDown    ? vy >= 320
                            : facing == dirRight ? vx >= 320
                            : facing == dirLeft  ? vx <= 280
                                                 : vy <= 280;
        const int32_t cx = facing == dirRight ? 320 : facing == dirLeft ? 280 : 300;
        const int32_t cy = facing == dirDown ? 320 : facing == dirUp ? 280 : 300;
        const int32_t reach = enemy.size + game.weaponSpace.speed - 4;
        return beyond && squared(vx - cx) + squared(vy - cy) < squared(reach);
    }
    bool canSwing() const { return game.attackCooldown <= 1; }

    // A player who only swings: a swing when an enemy is in reach in front, else a step at the nearest one
    // along the longer axis (which also turns him to it). He never steps away. Returns when the wave is gone.
    void fightWave() {
        for (int32_t t = 0; t < 600 && !livingEnemies().empty() && game.scene == sceneField; ++t) {
            const auto living = livingEnemies();
            if (std::any_of(living.begin(), living.end(), [&](const EnemySlot* e) { return inReach(*e); })) {
                canSwing() ? tick({vkSpace}) : tick();
                continue;
            }
            const EnemySlot* nearest = *std::min_element(living.begin(), living.end(), [&](auto* a, auto* b) {
                const auto [ax, ay] = inView(*a);
                const auto [bx, by] = inView(*b);
                return squared(ax - 300) + squared(ay - 300) < squared(bx - 300) + squared(by - 300);
            });
            const auto [vx, vy] = inView(*nearest);
            const int32_t dx = vx - 300, dy = vy - 300;
            tick({std::abs(dx) >= std::abs(dy) ? (dx > 0 ? vkRight : vkLeft) : (dy > 0 ? vkDown : vkUp)});
        }
        ASSERT_TRUE(livingEnemies().empty()) << "the wave is not beaten";
    }

    std::pair<int32_t, int32_t> entrance{0, 0};
};

// A player new to the game who arrives and only looks: the gate's slime bumps him now and then, and he
// still lives after 20 seconds, with a good part of his life.
TEST_F(FirstField, ALevelOneHeroStandingStillAtTheEntranceLivesTwentySeconds) {
    int32_t least = 1 << 30;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        arrive(seed);
        for (int32_t t = 0; t < 250; ++t) tick();
        EXPECT_EQ(game.scene, sceneField) << "game over";
        EXPECT_GT(game.heroLife, 0);
        least = std::min(least, game.heroLife);
    }
    std::cout << "standing still at the entrance for 250 ticks: at least " << least << " of " << game.heroMaxLife
              << " life left\n";
    EXPECT_GE(least, game.heroMaxLife / 4) << "the margin";
}

// A player who walks in swinging: he beats the gate's slime, walks on into the meadow and beats wave after
// wave there, each time with more than half his life.
TEST_F(FirstField, AHeroWhoWalksInSwingingWinsEveryFightWithMoreThanHalfHisLife) {
    int32_t least = 1 << 30;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        arrive(seed);
        const int32_t gate = game.currentArea;
        tick();  // the gate's wave comes
        ASSERT_FALSE(livingEnemies().empty()) << "enemies wait at the entrance";
        fightWave();
        EXPECT_GT(game.heroLife * 2, game.heroMaxLife) << "after the fight at the gate";
        for (int32_t t = 0; t < 60 && game.currentArea == gate; ++t) {
            const auto living = livingEnemies();
            const bool strike = canSwing() &&
                                std::any_of(living.begin(), living.end(), [&](auto* e) { return inReach(*e); });
            strike ? tick({vkRight, vkSpace}) : tick({vkRight});
        }
        ASSERT_NE(game.currentArea, gate) << "the way east leads into the meadow";
        for (int32_t wave = 1; wave <= 3; ++wave) {
            tick();
            fightWave();
            EXPECT_GT(game.heroLife * 2, game.heroMaxLife) << "after wave " << wave << " of the meadow";
        }
        least = std::min(least, game.heroLife);
    }
    std::cout << "the gate and three waves of the meadow won swinging: at least " << least << " of " << game.heroMaxLife
              << " life left\n";
}

}  // namespace
