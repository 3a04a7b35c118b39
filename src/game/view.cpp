// The screens of the game: field, arena and presentation, message window, side panel and HUD, title,
// ending, game over, and the fading hit circles. The frame tick calls each at its place in the tick.
#include "game/view.h"

#include "core/clamped_numbers.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "game/frame_tick.h"
#include "platform/graphics.h"
#include "world/npc_dialogue.h"

namespace {

constexpr int32_t heroCell = 40;

const Picture& fixedPicture(const GameState& game, FixedPicture which) {
    return game.pictures[which];
}

const std::string& messageLineText(const GameState& game, int32_t line) {
    static const std::string none;
    if (line < 0 || line >= messageLineCapacity) return none;
    return game.messageLines[line];
}

}  // namespace

void drawMapWindow(GameState& game, Canvas& canvas) {
    drawPictureRect(canvas, game.mapImage, 0, 0, heldSum(game.heroX, -300), heldSum(game.heroY, -307), 600, 600);
}

void spawnEffect(GameState& game, float x, float y, int32_t kind) {
    for (EffectRecord& effect : game.effects) {
        if (effect.ticksLeft != 0) continue;
        effect.ticksLeft = 6;
        effect.x = effect.endX = x;
        effect.y = effect.endY = y;
        effect.size = 32;
        effect.scale = 0.5f;
        effect.endScale = 2;
        effect.alpha = 1;
        effect.endAlpha = 0.2f;
        switch (kind) {
        case 1: effect.rgb = 0xFFFFFF; break;
        case 2: effect.rgb = 0x444444; break;
        case 3: effect.rgb = 0x888888; break;
        case 4: effect.rgb = 0xFF0000; break;
        default: effect.rgb &= 0x00FFFFFF; break;
        }
        effect.stepX = (effect.endX - effect.x) / 6;
        effect.stepY = (effect.endY - effect.y) / 6;
        effect.stepScale = (effect.endScale - effect.scale) / 6;
        effect.stepAlpha = (effect.endAlpha - effect.alpha) / 6;
        return;
    }
}

void drawEffects(GameState& game, Canvas& canvas) {
    for (EffectRecord& effect : game.effects) {
        if (effect.ticksLeft == 0) continue;
        effect.ticksLeft -= 1;
        effect.alpha += effect.stepAlpha;
        effect.scale += effect.stepScale;
        effect.x += effect.stepX;
        effect.y += effect.stepY;
        int32_t alphaByte = static_cast<int32_t>(effect.alpha * 255);
        if (alphaByte < 0) alphaByte = 0;
        if (alphaByte > 255) alphaByte = 255;
        const uint32_t colour = (static_cast<uint32_t>(alphaByte) << 24) | (effect.rgb & 0x00FFFFFF);
        const float d = effect.size * effect.scale;
        fillEllipse(canvas, effect.x - d / 2, effect.y - d / 2, d, d, colour);
    }
}

void drawHero(GameState& game, Canvas& canvas, int32_t x, int32_t y) {
    drawPictureRect(canvas, fixedPicture(game, picMan), x, y, game.heroDir * heroCell, 0, heroCell, heroCell);
}

void drawFieldView(GameState& game, Canvas& canvas) {
    drawMapWindow(game, canvas);
    drawNpcPictures(game, canvas);
    drawHero(game, canvas, 280, 280);
}

void drawBossView(GameState& game, Canvas& canvas) {
    drawMapWindow(game, canvas);
    drawHero(game, canvas, 280, 280);
    drawNpcPictures(game, canvas);

    const BossRecord& boss = game.boss;
    const int32_t side = boss.size;
    drawPictureRect(canvas, boss.image, held32(int64_t{boss.x} - side / 2 - game.heroX + boss.gx),
                    held32(int64_t{boss.y} - side / 2 - game.heroY + boss.gy - 7), held32(int64_t{boss.frame} * side),
                    0, side, side);

    if (game.bossPhase != 2) return;
    const uint32_t elapsed = game.frameCounter - game.sceneMarkFrame;
    const int32_t shake = static_cast<int32_t>(game.frameCounter % 3);
    if (elapsed < 4) {
        const int32_t d = static_cast<int32_t>(elapsed);
        drawPicture(canvas, fixedPicture(game, picMycutin), (d - 4) * 100, 200);
        drawPicture(canvas, boss.cutinImage, (6 - d) * 100, 200);
    } else {
        drawPicture(canvas, fixedPicture(game, picMycutin), 0, 200);
        drawPicture(canvas, boss.cutinImage, 200, 200);
    }
    if (elapsed > 7) drawPicture(canvas, fixedPicture(game, picVs), 225, 250 + 3 * shake);
}

void drawMessageWindow(GameState& game, Canvas& canvas) {
    drawPicture(canvas, fixedPicture(game, picWhitebox), 0, 520);
    drawText(canvas, game.largeFont, messageLineText(game, game.messageLine), 15, 530, colourBlack);
    drawText(canvas, game.largeFont, messageLineText(game, game.messageLine + 1), 15, 560, colourBlack);
}

void drawSidePanel(GameState& game, Canvas& canvas) {
    drawPicture(canvas, fixedPicture(game, picSidePanel), 600, 0);
    drawText(canvas, game.smallFont, game.mapName, 700, 20, colourWhite);
    const std::string status =
        formatText("%d / %d\n%d\n%d / %lld\n%dg\n%d", game.heroLife, game.heroMaxLife, game.heroLevel, game.heroExp,
                   static_cast<long long>(experienceForNextLevel(game)), game.heroPowder, game.heroMoney);
    drawText(canvas, game.smallFont, status, 750, 75, colourWhite);
    drawText(canvas, game.smallFont, game.weaponSpace.name, 760, 178, colourWhite);
    drawText(canvas, game.smallFont, game.weaponB.name, 760, 199, colourWhite);
}

void drawTitleMenu(GameState& game, Canvas& canvas) {
    drawPictureRect(canvas, fixedPicture(game, picEnd), 0, 0, 2100, 0, 900, 600);
    drawHero(game, canvas, 280, 305);
    drawPicture(canvas, fixedPicture(game, picTitle), 100, 100);
    drawPicture(canvas, fixedPicture(game, picSannkakuBlack), 220, 430 + 40 * game.menuCursor);
}

void drawEndingSequence(GameState& game, Canvas& canvas) {
    const uint32_t elapsed = game.frameCounter - game.sceneMarkFrame;
    const Picture& orbs = fixedPicture(game, picBall);
    if (elapsed > 30) drawPictureRect(canvas, orbs, 275, 175, 0 * iconCell, 0, iconCell, iconCell);
    if (elapsed > 60) drawPictureRect(canvas, orbs, 175, 325, 1 * iconCell, 0, iconCell, iconCell);
    if (elapsed > 90) drawPictureRect(canvas, orbs, 375, 325, 2 * iconCell, 0, iconCell, iconCell);
    // A faint white laid over the last frame every tick: the picture fades to white over many ticks.
    if (elapsed > 120) fillRect(canvas, 0, 0, 900, 600, 0x0AFFFFFFu);
    drawHero(game, canvas, 280, 280);
}

void drawEndingWalk(GameState& game, Canvas& canvas) {
    drawPictureRect(canvas, fixedPicture(game, picEnd), 0, 0, game.heroX - 300, 0, 900, 600);
    drawHero(game, canvas, 280, 305);
}

void drawGameOver(GameState& game, Canvas& canvas) {
    fillRect(canvas, 0, 0, 900, 600, colourBlack);
    drawText(canvas, game.largeFont, "GAME OVER", 350, 200, colourRed);
    drawText(canvas, game.smallFont, "セーブしたところにもどります", 320, 400, colourWhite);
}
