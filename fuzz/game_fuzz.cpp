// Fuzzes the whole game, not only its loaders: a small world is built from the fuzzer's bytes (map, enemy kinds,
// bosses, items, weapons, NPC pictures and a saved game), the game is started from its title (a new game or the
// saved one) and played for up to a few hundred ticks with keys taken from the input. The numbers the data give
// reach the movement, the combat, the boss battle, the drawing and the HUD, under the sanitizers of the fuzz build.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "data/document_cache.h"
#include "fuzz_support.h"
#include "game/frame_tick.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "platform/window.h"

namespace {

constexpr int32_t tickLimit = 400;
constexpr int32_t screenLimit = 3;
constexpr int32_t areaLimit = 4;
constexpr int32_t bossCount = 2;
constexpr int32_t npcPictureCount = 3;

// The pictures the world names: every one a small picture, so drawing from them runs through the real paths.
constexpr std::array<const char*, 6> worldPictures = {"pict\\m0.png",    "pict\\m1.png",   "pict\\boss.png",
                                                      "pict\\cutin.png", "pict\\npc0.png", "pict\\npc1.png"};

// A number as a world author might write it most of the time, and now and then (one time in 13) one at or near
// the ends of the 32-bit range, or any 32-bit value at all. An input that has run out gives the ordinary `low`.
int32_t number(FuzzedDataProvider& in, int32_t low, int32_t high) {
    switch (in.ConsumeIntegralInRange<int32_t>(0, 39)) {
    case 37: return in.ConsumeIntegral<int32_t>();
    case 38: return INT32_MAX - in.ConsumeIntegralInRange<int32_t>(0, 1000);
    case 39: return INT32_MIN + in.ConsumeIntegralInRange<int32_t>(0, 1000);
    default: return in.ConsumeIntegralInRange<int32_t>(low, high);
    }
}

// A short text of the game's kind: ASCII (the characters XML must escape included), kana, kanji, tabs and line
// breaks, always valid UTF-8, so that the files parse and the text reaches the drawing.
std::string text(FuzzedDataProvider& in) {
    static constexpr std::array<const char*, 16> japanese = {"あ", "い", "う", "ン", "ー", "道", "剣", "　",
                                                             "薬", "草", "\t", "\n", "、", "。", "ジ", "ズ"};
    std::string out;
    const size_t length = in.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
        const uint8_t c = in.ConsumeIntegral<uint8_t>();
        if (c >= 0x80) {
            out += japanese[c % japanese.size()];
            continue;
        }
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ';
        }
    }
    return out;
}

std::string attr(const char* name, int32_t value) {
    return std::string(" ") + name + "=\"" + std::to_string(value) + "\"";
}

std::string attr(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

std::string speechElement(FuzzedDataProvider& in) {
    std::string speech = "<speech";
    if (in.ConsumeBool()) speech += attr("flagid", number(in, 0, 80)) + attr("state", number(in, -1, 3));
    if (in.ConsumeIntegralInRange(0, 3) == 0) speech += " y=\"\"";
    if (in.ConsumeIntegralInRange(0, 3) == 0) speech += " n=\"\"";
    speech += ">" + text(in);
    if (in.ConsumeBool())
        speech += "<setflag" + attr("flagid", number(in, 0, 80)) + attr("state", number(in, -1, 3)) + "/>";
    return speech + "</speech>";
}

std::string areaElement(FuzzedDataProvider& in, int32_t screens) {
    std::string area = "<area" + attr("level", number(in, -1, 2));
    if (in.ConsumeIntegralInRange(0, 3) == 0) area = "<area" + attr("level", in.ConsumeBool() ? 100 : -100);
    // Mostly a rectangle of ground around the start point (700, 550), sometimes any polygon.
    const int32_t left = number(in, 0, 650), top = number(in, 0, 500);
    const int32_t right = number(in, 750, 2000), bottom = number(in, 600, 1600);
    const int32_t points = 4 + in.ConsumeIntegralInRange(-4, 2);
    area += attr("pointnum", in.ConsumeIntegralInRange(0, 9) == 0 ? number(in, 0, 25) : points);
    const int32_t enemies = in.ConsumeIntegralInRange(0, 5);
    area += attr("enemynum", in.ConsumeIntegralInRange(0, 9) == 0 ? number(in, 0, 6) : enemies);
    area += ">";
    const std::array<std::pair<int32_t, int32_t>, 4> corners{
        {{left, top}, {right, top}, {right, bottom}, {left, bottom}}};
    for (int32_t i = 0; i < points; ++i) {
        if (i < 4 && in.ConsumeIntegralInRange(0, 4) != 0) {
            area += "<point" + attr("x", corners[i].first) + attr("y", corners[i].second) + "/>";
        } else {
            area += "<point" + attr("x", number(in, 0, 2000)) + attr("y", number(in, 0, 2000)) + "/>";
        }
    }
    for (int32_t k = 0; k < enemies; ++k) area += "<enemy" + attr("type", number(in, 0, 8)) + "/>";
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
        area += "<npc" + attr("imageid", number(in, 0, npcPictureCount)) + ">";
        const int32_t lines = in.ConsumeIntegralInRange(0, 5);
        for (int32_t i = 0; i < lines; ++i) area += speechElement(in);
        area += "</npc>";
    }
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
        area += "<door" + attr("next", number(in, 0, screens)) + attr("resetx", number(in, 0, 2000)) +
                attr("resety", number(in, 0, 2000)) + "/>";
    }
    if (in.ConsumeIntegralInRange(0, 3) == 0) {
        area += "<boss" + attr("num", number(in, 0, bossCount)) + attr("flag", number(in, 20, 60)) + "/>";
    }
    return area + "</area>";
}

std::string mapFile(FuzzedDataProvider& in) {
    const int32_t screens = in.ConsumeIntegralInRange(1, screenLimit);
    std::string map = "<map>";
    for (int32_t s = 0; s < screens; ++s) {
        const int32_t areas = in.ConsumeIntegralInRange(1, areaLimit);
        const int32_t areanum = in.ConsumeIntegralInRange(0, 9) == 0 ? number(in, 0, areaLimit + 1) : areas;
        map += "<screen" + attr("name", text(in)) + attr("areanum", areanum) +
               attr("pict", std::string(worldPictures[static_cast<size_t>(s % 2)])) + ">";
        for (int32_t a = 0; a < areas; ++a) map += areaElement(in, screens);
        map += "</screen>";
    }
    return map + "</map>";
}

std::string enemyFile(FuzzedDataProvider& in) {
    std::string file = "<enemydatas>";
    for (int32_t k = 0; k < enemyKindCount; ++k) {
        file += "<enemy" + attr("life", number(in, 1, 20)) + attr("size", number(in, 5, 40)) +
                attr("speed", number(in, 0, 12)) + "/>";
    }
    return file + "</enemydatas>";
}

std::string bossFile(FuzzedDataProvider& in) {
    std::string file = "<bossdatas>";
    for (int32_t b = 0; b < bossCount; ++b) {
        file += "<boss" + attr("name", text(in)) + attr("maxlife", number(in, 1, 60)) +
                attr("size", number(in, 16, 96)) + attr("pict", std::string(worldPictures[2])) +
                attr("cutin", std::string(worldPictures[3])) + attr("gx", number(in, 0, 2000)) +
                attr("gy", number(in, 0, 2000)) + attr("x", number(in, 0, 600)) + attr("y", number(in, 0, 600)) +
                attr("hit", number(in, 5, 60)) + attr("kin", number(in, 0, 200)) + attr("tyu", number(in, 50, 400)) +
                ">";
        const int32_t opening = in.ConsumeIntegralInRange(0, 3), closing = in.ConsumeIntegralInRange(0, 3);
        for (int32_t i = 0; i < opening; ++i) file += "<bspeech>" + text(in) + "</bspeech>";
        for (int32_t i = 0; i < closing; ++i) file += "<aspeech>" + text(in) + "</aspeech>";
        if (in.ConsumeBool()) file += "<flag" + attr("id", number(in, 0, 80)) + attr("state", number(in, -1, 3)) + "/>";
        for (int32_t a = 0; a < 3; ++a) {
            file += "<weapon" + attr("type", number(in, 0, 10)) + attr("wait1", number(in, 0, 30)) +
                    attr("wait2", number(in, 0, 30)) + attr("speed1", number(in, 0, 12)) +
                    attr("speed2", number(in, 0, 20)) + attr("pict", number(in, 0, 5)) +
                    attr("power", number(in, 0, 10)) + "/>";
        }
        file += "</boss>";
    }
    return file + "</bossdatas>";
}

std::string itemFile(FuzzedDataProvider& in) {
    std::string file = "<itemdatas>";
    for (int32_t k = 0; k < itemKindCount; ++k) {
        file += "<item" + attr("name", text(in)) + attr("use", number(in, 0, 500)) + attr("type", number(in, 0, 5)) +
                attr("power", number(in, 0, 100)) + attr("time", number(in, 0, 60)) + attr("pict", number(in, 0, 20)) +
                attr("howto", text(in)) + "/>";
    }
    return file + "</itemdatas>";
}

std::string weaponFile(FuzzedDataProvider& in) {
    std::string file = "<weapondatas>";
    for (int32_t k = 0; k < weaponKindCount; ++k) {
        file += "<enemy" + attr("name", text(in)) + attr("fly", number(in, 0, 4)) + attr("speed", number(in, 0, 40)) +
                attr("power", number(in, 0, 10)) + attr("kayaku", number(in, 0, 10)) + attr("wait", number(in, 0, 10)) +
                attr("pict", number(in, 0, 5)) + attr("howto", text(in)) + "/>";
    }
    return file + "</weapondatas>";
}

std::string npcPictureFile(FuzzedDataProvider& in) {
    std::string file = "<npcpictdatas>";
    for (int32_t k = 0; k < npcPictureCount; ++k) {
        file += "<npc" + attr("pict", std::string(worldPictures[static_cast<size_t>(4 + k % 2)])) +
                attr("x", number(in, 1, 64)) + attr("y", number(in, 1, 64)) + attr("direction", number(in, 0, 8)) +
                "/>";
    }
    return file + "</npcpictdatas>";
}

std::string saveFile(FuzzedDataProvider& in) {
    std::string file = "<savedata>";
    const int32_t flags = in.ConsumeIntegralInRange(0, 6);
    for (int32_t i = 0; i < flags; ++i)
        file += "<flag" + attr("id", number(in, 0, 80)) + attr("value", number(in, -1, 3)) + "/>";
    for (int32_t k = 0; k < itemKindCount; ++k) {
        if (in.ConsumeBool()) file += "<item" + attr("num", k) + attr("value", number(in, 0, 5)) + "/>";
    }
    for (int32_t k = 0; k < weaponKindCount; ++k) {
        if (in.ConsumeBool()) file += "<weapon" + attr("num", k) + "/>";
    }
    file += "<hero" + attr("x", number(in, 650, 750)) + attr("y", number(in, 500, 600)) +
            attr("nowmap", number(in, 0, screenLimit)) + attr("nowpart", number(in, 0, areaLimit)) +
            attr("life", number(in, 1, 200)) + attr("maxlife", number(in, 1, 200)) + attr("EXP", number(in, 0, 100)) +
            attr("LEVEL", number(in, 1, 20)) + attr("speed", number(in, 1, 20)) + attr("kayaku", number(in, 0, 100)) +
            attr("money", number(in, 0, 5000)) + "/>";
    return file + "</savedata>";
}

// The fixed pictures and the world's pictures, made once per process: small, so the drawing stays cheap.
void writePictures() {
    static bool written = false;
    if (written) return;
    written = true;
    std::filesystem::create_directories(fuzzing::folder() / "pict");
    Canvas canvas = createCanvas(48, 48);
    fillRect(canvas, 0, 0, 24, 24, 0xFF3366CCu);
    auto write = [&](const char* gamePath) {
        std::string name = gamePath;
        std::replace(name.begin(), name.end(), '\\', '/');
        if (!saveCanvasPng(canvas, (fuzzing::folder() / name).string())) std::abort();
    };
    for (const char* file : fixedPictureFiles) write(file);
    for (const char* file : worldPictures) write(file);
}

// The keys of one stretch of play, from two bytes of the input: any of the arrows, at most one other key, and
// for how many ticks they are held.
struct KeyStretch {
    std::array<bool, 4> arrows{};
    int32_t other = 0;  // 0: none
    int32_t ticks = 1;
};
constexpr std::array<int32_t, 4> arrowKeys = {vkLeft, vkUp, vkRight, vkDown};
constexpr std::array<int32_t, 16> otherKeys = {0,       0,   0,   0,   0,   0,   0,   vkSpace,
                                               vkSpace, vkB, vkV, vkV, vkN, vkA, vkS, vkL};

KeyStretch keyStretch(uint8_t first, uint8_t second) {
    KeyStretch stretch;
    for (size_t k = 0; k < arrowKeys.size(); ++k) stretch.arrows[k] = (first >> k & 1) != 0;
    stretch.other = otherKeys[first >> 4];
    stretch.ticks = 1 + second % 16;
    return stretch;
}

void tick(GameState& game) {
    advanceManualClock(80);
    frameTick(game);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    // The keys come first, from the front of the input, so that every input of some length plays.
    const std::vector<uint8_t> keys = in.ConsumeBytes<uint8_t>(2 * in.ConsumeIntegralInRange<size_t>(8, 160));
    const bool continueSaved = in.ConsumeBool();
    const int32_t startX = number(in, 700, 700), startY = number(in, 550, 550);
    const fuzzing::WorkingFolder here;
    writePictures();
    fuzzing::writeFile("media/BigMapData.xml", mapFile(in));
    fuzzing::writeFile("media/EnemyData.xml", enemyFile(in));
    fuzzing::writeFile("media/BossData.xml", bossFile(in));
    fuzzing::writeFile("media/ItemData.xml", itemFile(in));
    fuzzing::writeFile("media/WeaponData.xml", weaponFile(in));
    fuzzing::writeFile("media/NPCPictList.xml", npcPictureFile(in));
    fuzzing::writeFile("gamedat.xml", saveFile(in));

    forgetKeptDocuments();
    std::srand(1);
    useManualClock(1000);

    // As start-up leaves the game, on the title; a new game starts on the first screen at a point of the input.
    // The fonts and the back buffer live for the whole process, as in the game.
    static const Font smallFont = createFont(16), largeFont = createFont(20);
    static const Canvas backBuffer = createCanvas(900, 600);
    auto game = std::make_unique<GameState>();
    game->storyFlags[flagScreenMode] = screenTitle;
    game->smallFont = smallFont;
    game->largeFont = largeFont;
    game->backBuffer = backBuffer;
    for (int32_t i = 0; i < fixedPictureCount; ++i) game->pictures[i] = loadPicture(fixedPictureFiles[i]);
    game->currentMap = 0;
    game->currentArea = 0;
    game->heroX = startX;
    game->heroY = startY;
    game->lastTickTime = clockMillis();

    game->menuCursor = continueSaved ? 0 : 1;
    handleKeyDown(*game, vkV);
    tick(*game);
    handleKeyUp(*game, vkV);

    std::array<bool, 4> arrowsHeld{};
    int32_t ticks = 0;
    for (size_t at = 0; at + 1 < keys.size() && ticks < tickLimit; at += 2) {
        const KeyStretch stretch = keyStretch(keys[at], keys[at + 1]);
        for (size_t k = 0; k < arrowKeys.size(); ++k) {
            if (stretch.arrows[k] == arrowsHeld[k]) continue;
            if (stretch.arrows[k]) {
                handleKeyDown(*game, arrowKeys[k]);
            } else {
                handleKeyUp(*game, arrowKeys[k]);
            }
            arrowsHeld[k] = stretch.arrows[k];
        }
        if (stretch.other != 0) handleKeyDown(*game, stretch.other);
        for (int32_t t = 0; t < stretch.ticks && ticks < tickLimit; ++t, ++ticks) tick(*game);
        if (stretch.other != 0) handleKeyUp(*game, stretch.other);
    }
    return 0;
}
