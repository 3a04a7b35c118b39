// The screens of the game drawn from what the rules showed: field, arena and presentation, enemies, shots and the
// swing, message window and question, side panel and menus, title, ending, game over, and the fading hit circles.
#include "game/view.h"

#include <climits>
#include <string>
#include <utility>
#include <variant>

#include "core/actions.h"
#include "core/clamped_numbers.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/view_geometry.h"
#include "game/picture_holding.h"
#include "game/sound_effects.h"
#include "game/translation.h"
#include "platform/graphics.h"

namespace {

struct At {
    int32_t x, y;
};

// Field and arena: the map picture's window of the view's size and the NPCs' top-left corners.
constexpr int32_t npcVisibleFrom = 0, npcVisibleTo = mapViewSize;
// The boss's picture stands its feet on its point, as the hero's does.
constexpr int32_t bossFeetBelowCentre = 7;
// The cut-in: the hero's picture and the boss's slide in from the sides for four ticks, then stand; the VS sign
// comes after eight ticks and jolts by 3 pixels a step.
constexpr int32_t cutInRow = 200, cutInSlideTicks = 4, cutInSlideStep = 100, vsAfterTicks = 7, vsJolt = 3;
constexpr At heroCutInAt{0, cutInRow}, bossCutInAt{200, cutInRow}, vsAt{225, 250};
// Enemies and shots are drawn around their point: an enemy's 25-pixel cell 12.5 across and 19.5 up, a shot's
// 15-pixel cell 7.5 across and 14.5 up. Each enemy kind has three walking cells, three ticks each.
constexpr int32_t enemyCell = 25, shotCell = 15, enemyWalkCells = 3, enemyTicksPerCell = 3;
constexpr double enemyLeft = 12.5, enemyUp = 19.5, shotLeft = 7.5, shotUp = 14.5;
// The sword's stroke: a white line 8 pixels long, 30 pixels out from the centre, sweeping with the ticks left.
constexpr int32_t swingReach = 30, swingStep = 8, swingStart = 39;
constexpr float swingWidth = 3.0f;
// The message window along the bottom of the map view and its two lines.
constexpr At messageBoxAt{0, messageWindowY}, messageFirstLineAt{15, 530}, messageSecondLineAt{15, 560};
// The yes/no box and its cursor at the yes or the no row.
constexpr At questionBoxAt{450, 440};
constexpr int32_t questionCursorX = 460, questionYesY = 450, questionNoY = 490;
// The side panel: its picture, the screen's name, the status column and the two weapons' names.
constexpr At sidePanelAt{mapViewSize, 0}, mapNameAt{700, 20}, statusAt{750, 75}, spaceWeaponAt{760, 178},
    bWeaponAt{760, 199};
// The side menu: its cursor beside the three page names, the page's picture, icon and four texts.
constexpr int32_t menuCursorX = 640, menuCursorTop = 308, menuRowStep = 48;
constexpr At pageAt{100, 150}, weaponIconAt{155, 230}, itemIconAt{153, 230}, pageHeadingAt{240, 164},
    pageNameAt{220, 240}, pageDescriptionAt{160, 304}, pageNumbersAt{160, 335};
// Item icons follow the four weapon kinds on the icon sheet.
constexpr int64_t firstItemIcon = 4;
// The title: a part of the ending's panorama behind the hero (titlePanoramaX on), the title picture and the
// cursor's two rows.
constexpr int32_t panoramaHeroOffset = 300;
constexpr At titleHeroAt{heroViewX, 305}, titlePictureAt{100, 100};
constexpr int32_t titleCursorX = 220, titleCursorTop = 430, titleRowStep = 40;
// The ending: three orbs one after another, then a faint white laid over the picture every tick.
constexpr At orbAt[3] = {{275, 175}, {175, 325}, {375, 325}};
constexpr uint32_t orbAfterTicks[3] = {30, 60, 90};
constexpr uint32_t whiteningAfterTicks = 120, whitening = 0x0AFFFFFFu;
constexpr At walkHeroAt{heroViewX, 305};
// Game over: the words centred across the screen.
constexpr int32_t gameOverY = 200, gameOverNoteY = 400;
// The hints painted into the side panel's and the title's pictures name the keys a new player has; once the player
// binds others, the view covers each hint with the colour of its own box (taken from the picture at `ground`) and
// writes it anew with the bound keys. Places are within the picture.
struct Hint {
    At cover;
    int32_t width, height;
    At ground;
};
constexpr Hint panelSlotHint{{18, 172}, 132, 46, {17, 171}};
constexpr At panelSlotLabelRight{148, 178};
constexpr int32_t panelSlotStep = 21;
constexpr Hint panelMenuHint{{20, 262}, 260, 24, {14, 262}};
constexpr At panelMenuLabelAt{22, 266};
constexpr Hint panelPageHint[2] = {{{60, 304}, 214, 28, {35, 303}}, {{60, 352}, 214, 28, {35, 351}}};
constexpr At panelPageLabelAt{64, 308};
constexpr int32_t panelPageStep = 48;
constexpr Hint panelHelpHint{{18, 464}, 264, 120, {17, 463}};
constexpr At panelHelpAt{26, 472};
constexpr int32_t panelHelpStep = 27;
constexpr uint32_t panelGold = 0xFFF8D070u, panelSilver = 0xFFAAB4C6u;
constexpr Hint titleHint{{330, 326}, 258, 80, {330, 322}};
constexpr At titleHintAt{340, 332};
constexpr int32_t titleHintStep = 36;
constexpr uint32_t titleSlate = 0xFF434A64u;

const Picture& fixedPicture(const GameState& game, FixedPicture which) {
    return game.pictures[which];
}

void drawHeroCell(const GameState& game, Canvas& canvas, int32_t heroDir, int32_t x, int32_t y) {
    drawPictureRect(canvas, fixedPicture(game, picMan), x, y, heroDir * heroCell, 0, heroCell, heroCell);
}

void drawMapWindow(Canvas& canvas, const Picture& map, int32_t heroX, int32_t heroY) {
    drawPictureRect(canvas, map, 0, 0, clampedSum(heroX, -mapViewHeroX), clampedSum(heroY, -mapViewHeroY), mapViewSize,
                    mapViewSize);
}

void drawNpcs(Canvas& canvas, const std::vector<NpcPicture>& npcs, int32_t heroX, int32_t heroY) {
    for (const NpcPicture& npc : npcs) {
        const int64_t sx = static_cast<int64_t>(npc.x) - heroX + viewCentre;
        const int64_t sy = static_cast<int64_t>(npc.y) - heroY + viewCentre;
        // Only a top-left corner strictly inside the view is drawn, even when part of the picture would show.
        if (!(sx > npcVisibleFrom && sx < npcVisibleTo && sy > npcVisibleFrom && sy < npcVisibleTo)) continue;
        const int64_t sourceX = static_cast<int64_t>(npc.frameWidth) * npc.frame;
        if (sourceX < INT32_MIN || sourceX > INT32_MAX) continue;
        drawPictureRect(canvas, npc.picture, static_cast<int32_t>(sx), static_cast<int32_t>(sy),
                        static_cast<int32_t>(sourceX), 0, npc.frameWidth, npc.frameHeight);
    }
}

// Icon cell number `cell` of the icon sheet; a cell number from the data files that lies beyond any picture
// draws nothing instead of wrapping round to another icon.
void drawIcon(const GameState& game, Canvas& canvas, int64_t cell, At at) {
    const int64_t sourceX = cell * iconCell;
    if (sourceX < 0 || sourceX > INT32_MAX) return;
    drawPictureRect(canvas, fixedPicture(game, picWicon), at.x, at.y, static_cast<int32_t>(sourceX), 0, iconCell,
                    iconCell);
}

// The page's texts; a description in a language other than Japanese breaks its lines at spaces to stay on the page.
void drawPageTexts(const GameState& game, Canvas& canvas, const std::string& heading, const std::string& name,
                   const std::string& description, const std::string& numbers) {
    drawText(canvas, game.smallFont, heading, pageHeadingAt.x, pageHeadingAt.y, colourWhite);
    drawText(canvas, game.smallFont, name, pageNameAt.x, pageNameAt.y, colourWhite);
    drawText(canvas, game.smallFont, wrappedText(game.smallFont, description, pageDescriptionWidth),
             pageDescriptionAt.x, pageDescriptionAt.y, colourWhite);
    drawText(canvas, game.smallFont, numbers, pageNumbersAt.x, pageNumbersAt.y, colourWhite);
}

// Whether the player's keys are still the ones the pictures' hints name.
bool defaultKeysBound(const GameState& game) {
    return game.keyNames == boundKeyNames(defaultActionKeys());
}

void coverHint(Canvas& canvas, const Picture& picture, At pictureAt, const Hint& hint) {
    fillRect(canvas, pictureAt.x + hint.cover.x, pictureAt.y + hint.cover.y, hint.width, hint.height,
             0xFF000000u | picturePixel(picture, hint.ground.x, hint.ground.y));
}

// The side panel's hints with the keys the player bound: the two weapon slots, the side menu's key, its two weapon
// pages and the key help at the bottom.
void drawPanelHints(const GameState& game, Canvas& canvas) {
    const Picture& panel = fixedPicture(game, picSidePanel);
    const At at = sidePanelAt;
    coverHint(canvas, panel, at, panelSlotHint);
    for (int32_t slot = 0; slot < 2; ++slot) {
        const std::string name = shownKeyName(game, slot == 0 ? actAttackSpace : actAttackB);
        int32_t w = 0, h = 0;
        textSize(game.smallFont, name, w, h);
        drawText(canvas, game.smallFont, name, at.x + panelSlotLabelRight.x - w,
                 at.y + panelSlotLabelRight.y + slot * panelSlotStep, panelGold);
    }
    coverHint(canvas, panel, at, panelMenuHint);
    drawText(canvas, game.smallFont, gameText(game, "メニュー　( {0} )", {shownKeyName(game, actMenu)}),
             at.x + panelMenuLabelAt.x, at.y + panelMenuLabelAt.y, panelSilver);
    for (int32_t slot = 0; slot < 2; ++slot) {
        coverHint(canvas, panel, at, panelPageHint[slot]);
        drawText(canvas, game.smallFont,
                 gameText(game, "{0}キーのぶき", {shownKeyName(game, slot == 0 ? actAttackSpace : actAttackB)}),
                 at.x + panelPageLabelAt.x, at.y + panelPageLabelAt.y + slot * panelPageStep, colourWhite);
    }
    coverHint(canvas, panel, at, panelHelpHint);
    const std::string help[] = {
        gameText(game, "{0}　はなす・けってい", {shownKeyName(game, actTalk)}),
        gameText(game, "{0}・{1}　こうげき", {shownKeyName(game, actAttackSpace), shownKeyName(game, actAttackB)}),
        gameText(game, "{0}　メニュー", {shownKeyName(game, actMenu)}),
        gameText(game, "{0}　セーブ　　{1}　ロード", {shownKeyName(game, actSave), shownKeyName(game, actLoad)})};
    for (int32_t line = 0; line < 4; ++line)
        drawText(canvas, game.smallFont, help[line], at.x + panelHelpAt.x, at.y + panelHelpAt.y + line * panelHelpStep,
                 panelSilver);
}

// Draws one shown thing.
struct Painter {
    GameState& game;
    Canvas& canvas;

    void operator()(const FieldShown& field) {
        drawMapWindow(canvas, field.map, field.heroX, field.heroY);
        drawNpcs(canvas, field.npcs, field.heroX, field.heroY);
        drawHeroCell(game, canvas, field.heroDir, heroViewX, heroViewY);
    }

    void operator()(const ArenaShown& arena) {
        const FieldShown& field = arena.field;
        drawMapWindow(canvas, field.map, field.heroX, field.heroY);
        drawHeroCell(game, canvas, field.heroDir, heroViewX, heroViewY);
        drawNpcs(canvas, field.npcs, field.heroX, field.heroY);
        const int32_t side = arena.bossSize;
        drawPictureRect(canvas, arena.bossImage, clamp32(int64_t{arena.bossX} - side / 2 - field.heroX + arena.arenaX),
                        clamp32(int64_t{arena.bossY} - side / 2 - field.heroY + arena.arenaY - bossFeetBelowCentre),
                        clamp32(int64_t{arena.bossFrame} * side), 0, side, side);
        if (!arena.cutIn) return;
        if (arena.cutInTicks < cutInSlideTicks) {
            const int32_t d = static_cast<int32_t>(arena.cutInTicks);
            drawPicture(canvas, fixedPicture(game, picMycutin), (d - cutInSlideTicks) * cutInSlideStep, cutInRow);
            drawPicture(canvas, arena.cutinImage, (6 - d) * cutInSlideStep, cutInRow);
        } else {
            drawPicture(canvas, fixedPicture(game, picMycutin), heroCutInAt.x, heroCutInAt.y);
            drawPicture(canvas, arena.cutinImage, bossCutInAt.x, bossCutInAt.y);
        }
        if (arena.cutInTicks > vsAfterTicks)
            drawPicture(canvas, fixedPicture(game, picVs), vsAt.x, vsAt.y + vsJolt * arena.shake);
    }

    void operator()(const HeroShown& hero) { drawHeroCell(game, canvas, hero.heroDir, hero.x, hero.y); }

    void operator()(const NpcsShown& npcs) { drawNpcs(canvas, npcs.npcs, npcs.heroX, npcs.heroY); }

    void operator()(const EnemyShown& enemy) {
        const int32_t cell = enemyWalkCells * enemy.kind +
                             static_cast<int32_t>(enemy.frameCounter % 9 / enemyTicksPerCell);
        drawPictureRect(canvas, fixedPicture(game, picTekismall), static_cast<int32_t>(enemy.viewX - enemyLeft),
                        static_cast<int32_t>(enemy.viewY - enemyUp), enemyCell * cell, 0, enemyCell, enemyCell);
    }

    void operator()(const ShotShown& shot) {
        drawPictureRect(canvas, fixedPicture(game, picDungan), drawnAt(shot.viewX - shotLeft),
                        drawnAt(shot.viewY - shotUp), clamp32(int64_t{shotCell} * shot.pict), 0, shotCell, shotCell);
    }

    void operator()(const SwingShown& swing) {
        const int32_t a = (swingStart - swing.ticks) * swingStep, b = (swingStart + 1 - swing.ticks) * swingStep;
        const int32_t front = viewCentre + swingReach, back = viewCentre - swingReach;
        switch (swing.dir) {
        case dirDown: drawLine(canvas, a, front, b, front, colourWhite, swingWidth); break;
        case dirRight: drawLine(canvas, front, a, front, b, colourWhite, swingWidth); break;
        case dirLeft: drawLine(canvas, back, a, back, b, colourWhite, swingWidth); break;
        case dirUp: drawLine(canvas, a, back, b, back, colourWhite, swingWidth); break;
        default: break;
        }
    }

    // A line translated, then its marks for the item a buyer would take filled in; a line without marks draws as
    // written.
    std::string messageText(const MessageShown& message, const std::string& line) const {
        std::string text = worldText(game, line);
        for (const auto& [mark, value] :
             {std::pair<std::string, std::string>{"{sell:name}", worldText(game, message.saleName)},
              {"{sell:price}", std::to_string(message.salePrice)}}) {
            for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at + value.size()))
                text.replace(at, mark.size(), value);
        }
        return text;
    }

    void operator()(const MessageShown& message) {
        drawPicture(canvas, fixedPicture(game, picWhitebox), messageBoxAt.x, messageBoxAt.y);
        drawText(canvas, game.largeFont, messageText(message, message.first), messageFirstLineAt.x,
                 messageFirstLineAt.y, colourBlack);
        drawText(canvas, game.largeFont, messageText(message, message.second), messageSecondLineAt.x,
                 messageSecondLineAt.y, colourBlack);
    }

    void operator()(const QuestionShown& question) {
        drawPicture(canvas, fixedPicture(game, picYesnobox), questionBoxAt.x, questionBoxAt.y);
        drawPicture(canvas, fixedPicture(game, picSannkakuBlack), questionCursorX,
                    question.yes ? questionYesY : questionNoY);
    }

    void operator()(const SidePanelShown& panel) {
        drawPicture(canvas, fixedPicture(game, picSidePanel), sidePanelAt.x, sidePanelAt.y);
        drawText(canvas, game.smallFont, worldText(game, panel.mapName), mapNameAt.x, mapNameAt.y, colourWhite);
        const std::string status = formatText("%d / %d\n%d\n%d / %lld\n%dg\n%d", panel.life, panel.maxLife, panel.level,
                                              panel.exp, static_cast<long long>(panel.nextLevelExp), panel.powder,
                                              panel.money);
        drawText(canvas, game.smallFont, status, statusAt.x, statusAt.y, colourWhite);
        drawText(canvas, game.smallFont, worldText(game, panel.spaceWeapon), spaceWeaponAt.x, spaceWeaponAt.y,
                 colourWhite);
        drawText(canvas, game.smallFont, worldText(game, panel.bWeapon), bWeaponAt.x, bWeaponAt.y, colourWhite);
        if (!defaultKeysBound(game)) drawPanelHints(game, canvas);
    }

    void operator()(const MenuCursorShown& cursor) {
        drawPicture(canvas, fixedPicture(game, picSannkaku), menuCursorX, menuCursorTop + menuRowStep * cursor.row);
    }

    void operator()(const WeaponPageShown& page) {
        const WeaponSlot& weapon = page.weapon;
        drawPicture(canvas, fixedPicture(game, picMenu), pageAt.x, pageAt.y);
        drawIcon(game, canvas, weapon.fly, weaponIconAt);
        drawPageTexts(
            game, canvas,
            gameText(game, "{0}キーのぶき", {shownKeyName(game, page.slot == 0 ? actAttackSpace : actAttackB)}),
            worldText(game, weapon.name), worldText(game, weapon.howto),
            weaponNumbersText(weapon, page.slot, game.translations.game));
    }

    void operator()(const ItemPageShown& page) {
        drawPicture(canvas, fixedPicture(game, picMenuD), pageAt.x, pageAt.y);
        if (!page.anyHeld) {
            drawPageTexts(game, canvas, gameText(game, "どうぐ"), "", "", "");
            return;
        }
        const ItemRecord& item = page.item;
        drawIcon(game, canvas, int64_t{item.pict} + firstItemIcon, itemIconAt);
        drawPageTexts(game, canvas, gameText(game, "どうぐ"),
                      gameText(game, "{0}\t{1}こ", {worldText(game, item.name), std::to_string(page.count)}),
                      worldText(game, item.howto), itemEffectText(item, game.translations.game));
    }

    void operator()(const TitleShown& title) {
        // The panorama itself is held only while the ending is on; the title has its part apart.
        letGoEndingPictures(game);
        drawPicture(canvas, game.titlePanorama, 0, 0);
        drawHeroCell(game, canvas, title.heroDir, titleHeroAt.x, titleHeroAt.y);
        drawPicture(canvas, fixedPicture(game, picTitle), titlePictureAt.x, titlePictureAt.y);
        if (!defaultKeysBound(game)) {
            coverHint(canvas, fixedPicture(game, picTitle), titlePictureAt, titleHint);
            const std::string lines[] = {gameText(game, "{0}{1}キーで えらんで",
                                                  {shownKeyName(game, actWalkUp), shownKeyName(game, actWalkDown)}),
                                         gameText(game, "{0}キーで きめる", {shownKeyName(game, actTalk)})};
            for (int32_t line = 0; line < 2; ++line)
                drawText(canvas, game.smallFont, lines[line], titlePictureAt.x + titleHintAt.x,
                         titlePictureAt.y + titleHintAt.y + line * titleHintStep, titleSlate);
        }
        drawPicture(canvas, fixedPicture(game, picSannkakuBlack), titleCursorX,
                    titleCursorTop + titleRowStep * title.cursor);
    }

    void operator()(const EndingSequenceShown& ending) {
        // The orbs come after a while and the panorama after the sequence: the worker decodes both meanwhile.
        askForEndingPictures(game);
        for (int32_t orb = 0; orb < 3; ++orb) {
            if (ending.ticks > orbAfterTicks[orb])
                drawPictureRect(canvas, endingPicture(game, picBall), orbAt[orb].x, orbAt[orb].y, orb * iconCell, 0,
                                iconCell, iconCell);
        }
        // A faint white laid over the last frame every tick: the picture fades to white over many ticks.
        if (ending.ticks > whiteningAfterTicks) fillRect(canvas, 0, 0, screenWidth, screenHeight, whitening);
        drawHeroCell(game, canvas, ending.heroDir, heroViewX, heroViewY);
    }

    void operator()(const EndingWalkShown& walk) {
        drawPictureRect(canvas, endingPicture(game, picEnd), 0, 0, walk.heroX - panoramaHeroOffset, 0, screenWidth,
                        screenHeight);
        drawHeroCell(game, canvas, walk.heroDir, walkHeroAt.x, walkHeroAt.y);
    }

    void operator()(const GameOverShown& over) {
        fillRect(canvas, 0, 0, screenWidth, screenHeight, colourBlack);
        const auto centred = [&](const Font& font, const std::string& text, int32_t y, uint32_t colour) {
            int32_t w = 0, h = 0;
            textSize(font, text, w, h);
            drawText(canvas, font, text, (screenWidth - w) / 2, y, colour);
        };
        centred(game.largeFont, "GAME OVER", gameOverY, colourRed);
        centred(game.smallFont, gameText(game, over.toTitle ? "タイトルにもどります" : "セーブしたところにもどります"),
                gameOverNoteY, colourWhite);
    }

    void operator()(const EffectsShown& shown) {
        for (int32_t i = 0; i < shown.count; ++i) {
            const EffectRecord& effect = shown.circles[static_cast<size_t>(i)];
            int32_t alphaByte = static_cast<int32_t>(effect.alpha * 255);
            if (alphaByte < 0) alphaByte = 0;
            if (alphaByte > 255) alphaByte = 255;
            const uint32_t colour = (static_cast<uint32_t>(alphaByte) << 24) | (effect.rgb & 0x00FFFFFF);
            const float d = effect.size * effect.scale;
            fillEllipse(canvas, effect.x - d / 2, effect.y - d / 2, d, d, colour);
        }
    }

    // Heard, not drawn: the frame's sounds go to the mixer as the frame is drawn, so what is seen and heard agree.
    void operator()(const SoundShown& shown) { playSoundEffect(game, shown.sound); }
};

}  // namespace

void drawShown(GameState& game, Canvas& canvas) {
    Painter painter{game, canvas};
    for (const ShownThing& thing : game.shown) std::visit(painter, thing);
    game.shown.clear();
}

// The Space page has no tab before the powder cost, the B page has one; the two pages keep that difference.
std::string weaponNumbersText(const WeaponSlot& weapon, int32_t slot, const Catalogue& gameTexts) {
    const char* format = slot == 1 ? "%s\t%d\n%s\t%d\n%s\t%dg" : "%s\t%d\n%s\t%d\n%s%dg";
    auto label = [&](const char* text) { return translated(gameTexts, text); };
    const bool sword = weapon.fly <= 0;
    const std::string length = label(sword ? "けんのながさ" : "たまのはやさ");
    const std::string power = label(sword ? "けんのつよさ" : "たまのつよさ"), powder = label("つかうかやく");
    return formatText(format, length.c_str(), weapon.speed, power.c_str(), weapon.power, powder.c_str(), weapon.kayaku);
}

std::string itemEffectText(const ItemRecord& item, const Catalogue& gameTexts) {
    auto text = [&](const char* original, std::initializer_list<std::string> values = {}) {
        return fillIn(translated(gameTexts, original), values);
    };
    switch (item.type) {
    case 0: return text("ここでは　つかえません");
    case 1: return text("{0}ポイント　ライフをかいふく", {std::to_string(item.power)});
    case 2: return text("けいけんちを　500　かくとくできます");
    case 3:
        return text("{0}びょうかんのあいだ\nかくとくする　けいけんちが{1}ばい",
                    {std::to_string(item.time), std::to_string(item.power)});
    case 4: return text("Zをおすと もよりえきに　とびます\nバトルちゅうは　つかえません");
    default: return "";
    }
}

namespace {

// The menu's box over the map view, in the side panel's dark blue with a light frame.
constexpr int32_t menuBoxX = 90, menuBoxY = 80, menuBoxWidth = 420, menuBoxHeight = 440, menuFrame = 3;
constexpr int32_t menuTextX = 130, menuHeadingY = 100, menuFirstRowY = 150, menuRowHeight = 38;
constexpr int32_t menuBarX = 270, menuBarWidth = 150, menuBarHeight = 14;
constexpr uint32_t menuBox = 0xE0182048u, menuFrameInk = 0xFFD8D8F0u, menuChosen = 0xFF3C4C90u,
                   menuBarEmpty = 0xFF404040u, menuBarFull = 0xFF60C060u, menuRefusalInk = 0xFFFF8080u;

const char* const menuRowNames[menuRowCount] = {"つづける", "おんがく",         "こうかおん",
                                                "がめん",   "おおきさ",         "キーの せってい",
                                                "ことば",   "タイトルにもどる", "ゲームをやめる"};

void drawMenuRow(GameState& game, Canvas& canvas, int32_t index, bool chosen, const std::string& text) {
    const int32_t y = menuFirstRowY + index * menuRowHeight;
    if (chosen) fillRect(canvas, menuBoxX + 12, y - 6, menuBoxWidth - 24, menuRowHeight - 4, menuChosen);
    drawText(canvas, game.smallFont, text, menuTextX, y, colourWhite);
}

}  // namespace

void drawOptionsMenu(GameState& game, Canvas& canvas) {
    const OptionsMenu& menu = game.menu;
    if (!menu.open) return;
    fillRect(canvas, menuBoxX - menuFrame, menuBoxY - menuFrame, menuBoxWidth + 2 * menuFrame,
             menuBoxHeight + 2 * menuFrame, menuFrameInk);
    fillRect(canvas, menuBoxX, menuBoxY, menuBoxWidth, menuBoxHeight, 0xFF000000u);
    fillRect(canvas, menuBoxX, menuBoxY, menuBoxWidth, menuBoxHeight, menuBox);
    if (menu.asking >= 0) {
        drawText(canvas, game.smallFont,
                 gameText(game, menu.asking == rowTitle
                                    ? "セーブしていない すすみが あります。\nタイトルにもどりますか？"
                                    : "セーブしていない すすみが あります。\nゲームをやめますか？"),
                 menuTextX, menuHeadingY, colourWhite);
        drawMenuRow(game, canvas, 2, menu.answerYes, gameText(game, "はい"));
        drawMenuRow(game, canvas, 3, !menu.answerYes, gameText(game, "いいえ"));
        return;
    }
    if (menu.keyPage) {
        drawText(canvas, game.smallFont, gameText(game, "キーの せってい"), menuTextX, menuHeadingY, colourWhite);
        const int32_t rows = static_cast<int32_t>(menu.keyNames.size());
        // The page's rows are closer together: every action and the way back fit in the box.
        for (int32_t i = 0; i <= rows; ++i) {
            const int32_t y = menuHeadingY + 34 + i * 28;
            if (i == menu.keyRow) fillRect(canvas, menuBoxX + 12, y - 4, menuBoxWidth - 24, 26, menuChosen);
            const std::string text = i < rows ? menu.keyNames[static_cast<size_t>(i)] : gameText(game, "もどる");
            drawText(canvas, game.smallFont, text, menuTextX, y, colourWhite);
        }
        const int32_t noteY = menuHeadingY + 34 + (rows + 1) * 28 + 4;
        if (menu.waitingForKey) {
            drawText(canvas, game.smallFont, gameText(game, "あたらしいキーを おしてください（Esc でやめる）"),
                     menuTextX - 20, noteY, colourWhite);
        } else if (!menu.refusal.empty()) {
            drawText(canvas, game.smallFont, menu.refusal, menuTextX - 20, noteY, menuRefusalInk);
        }
        return;
    }
    drawText(canvas, game.smallFont, gameText(game, "メニュー"), menuTextX, menuHeadingY, colourWhite);
    for (int32_t row = 0; row < menuRowCount; ++row) {
        std::string text = gameText(game, menuRowNames[row]);
        if (row == rowDisplay) text += "　　" + gameText(game, menu.fullscreen ? "フルスクリーン" : "ウィンドウ");
        if (row == rowScale) text += "　　× " + std::to_string(menu.scale);
        if (row == rowLanguage) text += "　　" + (menu.language.empty() ? gameText(game, "そのまま") : menu.language);
        drawMenuRow(game, canvas, row, row == menu.row, text);
        if (row == rowMusic || row == rowEffects) {
            const int32_t volume = row == rowMusic ? menu.musicVolume : menu.effectsVolume;
            const int32_t y = menuFirstRowY + row * menuRowHeight + 4;
            fillRect(canvas, menuBarX, y, menuBarWidth, menuBarHeight, menuBarEmpty);
            if (!menu.mute) fillRect(canvas, menuBarX, y, menuBarWidth * volume / 100, menuBarHeight, menuBarFull);
            drawText(canvas, game.smallFont, menu.mute ? gameText(game, "ミュート") : std::to_string(volume),
                     menuBarX + menuBarWidth + 12, y - 4, colourWhite);
        }
    }
    drawText(canvas, game.smallFont, gameText(game, "↑↓ えらぶ　←→ かえる　V けってい　Esc もどる"), menuTextX - 20,
             menuBoxY + menuBoxHeight - 34, menuFrameInk);
}
