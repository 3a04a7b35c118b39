// The player's notes over the map view: the short note, the pause sign, the boss's life bar, the talk prompt and
// the sword's swing.
#include "game/notes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/directions.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "game/translation.h"
#include "platform/window.h"
#include "world/npc_dialogue.h"

namespace {

// The pause sign stands over the middle of the map view, just above the hero (drawn at 280-319), not on him.
constexpr int32_t signCentreY = 250;
constexpr uint32_t noteBox = 0xB0000000, noteInk = 0xFFFFFFFF;
const std::string pauseSign = "ポーズ";

// The boss's life bar: the boss's name and a bar along the bottom of the map view, clear of the hero in the middle
// and of the notes at the top; the message window that follows the fight takes the same place.
constexpr int32_t barBoxX = 140, barBoxY = 558, barBoxWidth = 320, barBoxHeight = 30;
constexpr int32_t barNameWidth = 96, barWidth = 192, barHeight = 10;
constexpr uint32_t barEmpty = 0xFF401818, barFull = 0xFFE04838, barEdge = 0xFFFFFFFF;

// The prompt over the hero's head while V would talk to someone: talking reaches only a step ahead of him, and
// nothing else tells the player so. It names the key the player bound to talking.
std::string talkPrompt(const GameState& game) {
    return gameText(game, "{0} はなす", {shownKeyName(game, actTalk)});
}
constexpr int32_t promptAboveHero = 30;

bool talkPromptUp(const GameState& game) {
    return game.scene == sceneField && talkTarget(game) >= 0;
}

// The sword's swing: the rules draw only a short dash in front of the hero, easy to miss; over it the blade
// sweeps a third of a turn around him through the swing's four ticks, with a fading trail behind it, as far as
// the sword reaches.
constexpr int32_t swingTicksShown = 4, swingTrailSteps = 6;
constexpr double swingInner = 14, swingOuter = 36, swingHalfTurn = 1.05;
constexpr uint32_t bladeInk = 0xFFFFFFFF, trailInk = 0x00E8F0FF;

bool swingUp(const GameState& game) {
    return (game.scene == sceneField || game.scene == sceneBoss) && game.swordTicks > 0 &&
           game.swordTicks <= swingTicksShown;
}

void drawSwing(Canvas& canvas, const GameState& game) {
    double facing = 0;  // right, in screen angles (y grows downwards)
    switch (game.swordDir) {
    case dirDown: facing = M_PI / 2; break;
    case dirLeft: facing = M_PI; break;
    case dirUp: facing = -M_PI / 2; break;
    default: break;
    }
    const double done = static_cast<double>(swingTicksShown + 1 - game.swordTicks) / swingTicksShown;
    const double blade = facing - swingHalfTurn + 2 * swingHalfTurn * done;
    const auto lineAt = [&](double angle, uint32_t argb, float width) {
        drawLine(canvas, static_cast<int32_t>(viewCentre + swingInner * std::cos(angle)),
                 static_cast<int32_t>(viewCentre + swingInner * std::sin(angle)),
                 static_cast<int32_t>(viewCentre + swingOuter * std::cos(angle)),
                 static_cast<int32_t>(viewCentre + swingOuter * std::sin(angle)), argb, width);
    };
    clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    for (int32_t step = swingTrailSteps; step >= 1; --step) {
        const double angle = blade - 2 * swingHalfTurn * done * step / swingTrailSteps;
        const auto alpha = static_cast<uint32_t>(0x90 * (swingTrailSteps + 1 - step) / (swingTrailSteps + 1));
        lineAt(angle, trailInk | alpha << 24, 4.0f);
    }
    lineAt(blade, bladeInk, 3.0f);
    clipCanvas(canvas, 0, 0, 0, 0);
}

// A hero hit flashes: every other tick of the flash a light red lies over his body, so a blow is seen even when
// the hit circle is lost among the enemies.
constexpr uint32_t hurtInk = 0xA0FF4040;

bool hurtFlashUp(const GameState& game) {
    return (game.scene == sceneField || game.scene == sceneBoss) && game.hurtTicks > 0 && game.hurtTicks % 2 == 0;
}

// The note still up at this moment, or empty.
std::string currentNote(const GameState& game) {
    if (game.notes.text.empty()) return {};
    // Compared as a difference, so the clock's wrap past its top does not keep a note forever.
    const auto left = static_cast<int32_t>(game.notes.until - clockMillis());
    return left > 0 ? game.notes.text : std::string();
}

bool signUp(const GameState& game, bool paused) {
    return paused || game.windowInactive == 1;
}

// The bar stands while the boss scene fights, and in the tick of the last blow, which shows it empty.
bool bossBarUp(const GameState& game) {
    return game.scene == sceneBoss && (game.bossPhase == phaseFight || game.bossPhase == phaseClosingSpeech);
}

// The bar's length for the boss's life against the life it started with (its maxlife), within the bar.
int32_t bossBarLength(const BossRecord& boss) {
    if (boss.maxlife <= 0 || boss.life <= 0) return 0;
    if (boss.life >= boss.maxlife) return barWidth;
    return static_cast<int32_t>(int64_t{barWidth} * boss.life / boss.maxlife);
}

void drawBossBar(Canvas& canvas, const GameState& game) {
    const BossRecord& boss = game.boss;
    fillRect(canvas, barBoxX, barBoxY, barBoxWidth, barBoxHeight, noteBox);
    const int32_t nameX = barBoxX + 10;
    int32_t nameWidth = 0, nameHeight = 0;
    textSize(game.smallFont, worldText(game, boss.name), nameWidth, nameHeight);
    // A long name is cut before the bar.
    clipCanvas(canvas, nameX, barBoxY, barNameWidth, barBoxHeight);
    drawText(canvas, game.smallFont, worldText(game, boss.name), nameX, barBoxY + (barBoxHeight - nameHeight) / 2,
             noteInk);
    clipCanvas(canvas, 0, 0, 0, 0);
    const int32_t barX = nameX + barNameWidth + 6, barY = barBoxY + (barBoxHeight - barHeight) / 2;
    fillRect(canvas, barX - 1, barY - 1, barWidth + 2, barHeight + 2, barEdge);
    fillRect(canvas, barX, barY, barWidth, barHeight, barEmpty);
    fillRect(canvas, barX, barY, bossBarLength(boss), barHeight, barFull);
}

}  // namespace

void drawNoteBox(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y, uint32_t boxArgb) {
    int32_t width = 0, height = 0;
    textSize(font, text, width, height);
    clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    fillRect(canvas, x - 8, y - 4, width + 16, height + 8, boxArgb);
    drawText(canvas, font, text, x, y, noteInk);
    clipCanvas(canvas, 0, 0, 0, 0);
}

void showNote(GameState& game, const std::string& text, uint32_t millis) {
    game.notes.text = text;
    game.notes.until = clockMillis() + millis;
}

std::string playerNotesKey(const GameState& game, bool paused) {
    if (!game.notes.shown) return {};
    const std::string note = currentNote(game);
    const bool sign = signUp(game, paused);
    const bool bar = bossBarUp(game);
    const bool prompt = talkPromptUp(game);
    const bool swing = swingUp(game);
    const bool hurt = hurtFlashUp(game);
    if (note.empty() && !sign && !bar && !prompt && !swing && !hurt) return {};
    std::string shown = note + (sign ? "\n" + pauseSign : std::string()) +
                        (prompt ? "\n" + talkPrompt(game) : std::string());
    if (swing) shown += "\nswing " + std::to_string(game.swordDir) + " " + std::to_string(game.swordTicks);
    if (hurt) shown += "\nhurt";
    if (bar) shown += "\n" + game.boss.name + " " + std::to_string(bossBarLength(game.boss));
    return shown;
}

void drawPlayerNotes(GameState& game, Canvas& canvas, bool paused) {
    if (!game.notes.shown) return;
    if (bossBarUp(game)) drawBossBar(canvas, game);
    if (hurtFlashUp(game))
        fillEllipse(canvas, heroViewX + 6.0f, heroViewY + 2.0f, heroCell - 12.0f, heroCell - 4.0f, hurtInk);
    if (swingUp(game)) drawSwing(canvas, game);
    const std::string note = currentNote(game);
    if (!note.empty()) drawNoteBox(canvas, game.smallFont, gameText(game, note), 16, 12);
    if (talkPromptUp(game)) {
        int32_t promptWidth = 0, promptHeight = 0;
        const std::string prompt = talkPrompt(game);
        textSize(game.smallFont, prompt, promptWidth, promptHeight);
        drawNoteBox(canvas, game.smallFont, prompt, viewCentre - promptWidth / 2,
                    heroViewY - promptAboveHero - promptHeight);
    }
    if (signUp(game, paused)) {
        const std::string sign = gameText(game, pauseSign);
        int32_t signWidth = 0, signHeight = 0;
        textSize(game.largeFont, sign, signWidth, signHeight);
        drawNoteBox(canvas, game.largeFont, sign, (mapViewSize - signWidth) / 2, signCentreY - signHeight / 2);
    }
}
