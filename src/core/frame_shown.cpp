// What came into view, taken from the record at the moment a rule shows it.
#include "core/frame_shown.h"

#include <utility>

#include "core/game_state.h"

namespace {

void show(GameState& game, ShownThing thing) {
    game.shown.push_back(std::move(thing));
}

FieldShown fieldNow(const GameState& game) {
    return {game.mapImage, game.heroX, game.heroY, game.heroDir, game.npcPictures};
}

const std::string& messageLineText(const GameState& game, int32_t line) {
    static const std::string none;
    if (line < 0 || line >= messageLineCapacity) return none;
    return game.messageLines[static_cast<size_t>(line)];
}

}  // namespace

void showField(GameState& game) {
    show(game, fieldNow(game));
}

void showArena(GameState& game) {
    const BossRecord& boss = game.boss;
    ArenaShown arena{fieldNow(game), boss.image, boss.cutinImage, boss.x,    boss.y,
                     boss.gx,        boss.gy,    boss.size,       boss.frame};
    arena.cutIn = game.bossPhase == phaseCutIn;
    arena.cutInTicks = game.frameCounter - game.sceneMarkFrame;
    arena.shake = static_cast<int32_t>(game.frameCounter % 3);
    show(game, std::move(arena));
}

void showHero(GameState& game, int32_t x, int32_t y) {
    show(game, HeroShown{x, y, game.heroDir});
}

void showNpcPictures(GameState& game) {
    show(game, NpcsShown{game.heroX, game.heroY, game.npcPictures});
}

void showEnemy(GameState& game, const EnemySlot& enemy, int32_t viewX, int32_t viewY) {
    show(game, EnemyShown{enemy.kind, game.frameCounter, viewX, viewY});
}

void showShot(GameState& game, const ShotSlot& shot, int32_t viewX, int32_t viewY) {
    show(game, ShotShown{shot.pict, viewX, viewY});
}

void showSwing(GameState& game) {
    show(game, SwingShown{game.swordDir, game.swordTicks});
}

void showMessageWindow(GameState& game) {
    show(game, MessageShown{messageLineText(game, game.messageLine), messageLineText(game, game.messageLine + 1),
                            game.selectedItem.name, game.selectedItem.use / 2});
}

void showQuestion(GameState& game) {
    show(game, QuestionShown{game.yesNoChoice});
}

void showSidePanel(GameState& game) {
    show(game, SidePanelShown{game.mapName, game.heroLife, game.heroMaxLife, game.heroLevel, game.heroExp,
                              experienceForNextLevel(game), game.heroPowder, game.heroMoney, game.weaponSpace.name,
                              game.weaponB.name});
}

void showMenuCursor(GameState& game) {
    show(game, MenuCursorShown{game.menuCursor});
}

void showWeaponPage(GameState& game, int32_t slot) {
    show(game, WeaponPageShown{slot, slot == 0 ? game.weaponSpace : game.weaponB});
}

void showItemPage(GameState& game, bool anyHeld, int32_t count) {
    show(game, ItemPageShown{anyHeld, game.selectedItem, count});
}

void showTitle(GameState& game) {
    show(game, TitleShown{game.heroDir, game.menuCursor});
}

void showEndingSequence(GameState& game) {
    show(game, EndingSequenceShown{game.frameCounter - game.sceneMarkFrame, game.heroDir});
}

void showEndingWalk(GameState& game) {
    show(game, EndingWalkShown{game.heroX, game.heroDir});
}

void showGameOver(GameState& game) {
    show(game, GameOverShown{game.gameOverToTitle});
}

void showEffects(GameState& game, const EffectsShown& circles) {
    show(game, circles);
}

void showSound(GameState& game, SoundEffect sound) {
    // One of a kind a frame: eight shots striking at once are one strike to the ear, not eight times as loud.
    for (const ShownThing& thing : game.shown) {
        if (const auto* heard = std::get_if<SoundShown>(&thing); heard && heard->sound == sound) return;
    }
    show(game, SoundShown{sound});
}
