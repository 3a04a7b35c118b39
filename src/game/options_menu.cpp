// The menu's rules over its own part of the record: they never touch the play, so a game frozen under the menu
// goes on exactly where it stopped.
#include "game/options_menu.h"

#include "core/game_state.h"
#include "core/key_codes.h"
#include "game/save_file.h"

namespace {

bool isChoose(int32_t key) {
    return key == vkV || key == vkEnter || key == vkSpace;
}
bool isBack(int32_t key) {
    return key == vkEscape || key == vkN;
}

// The question of back-to-the-title or quit: left, right, up and down move between yes and no.
MenuRequest answerQuestion(OptionsMenu& menu, int32_t key) {
    if (key == vkLeft || key == vkRight || key == vkUp || key == vkDown) menu.answerYes = !menu.answerYes;
    if (isBack(key) || (isChoose(key) && !menu.answerYes)) {
        menu.asking = -1;
        return MenuRequest::none;
    }
    if (!isChoose(key)) return MenuRequest::none;
    const int32_t asked = menu.asking;
    menu.asking = -1;
    return asked == rowTitle ? MenuRequest::toTitle : MenuRequest::quit;
}

// The key page: one row per action the program listed, then the row that goes back.
MenuRequest keyPagePress(OptionsMenu& menu, int32_t key) {
    const int32_t rows = static_cast<int32_t>(menu.keyNames.size()) + 1;
    if (key == vkUp) menu.keyRow = (menu.keyRow + rows - 1) % rows;
    if (key == vkDown) menu.keyRow = (menu.keyRow + 1) % rows;
    if (isBack(key) || (isChoose(key) && menu.keyRow == rows - 1)) {
        menu.keyPage = false;
        menu.refusal.clear();
    } else if (isChoose(key)) {
        menu.waitingForKey = true;
        menu.refusal.clear();
    }
    return MenuRequest::none;
}

}  // namespace

void openOptionsMenu(GameState& game, int32_t asking) {
    OptionsMenu& menu = game.menu;
    menu.open = true;
    menu.row = asking >= 0 ? asking : rowResume;
    menu.keyPage = menu.waitingForKey = false;
    menu.asking = asking;
    menu.answerYes = false;
    menu.refusal.clear();
}

MenuRequest menuKeyPress(GameState& game, int32_t key) {
    OptionsMenu& menu = game.menu;
    if (!menu.open || menu.waitingForKey) return MenuRequest::none;
    if (menu.asking >= 0) return answerQuestion(menu, key);
    if (menu.keyPage) return keyPagePress(menu, key);
    if (key == vkUp) menu.row = (menu.row + menuRowCount - 1) % menuRowCount;
    if (key == vkDown) menu.row = (menu.row + 1) % menuRowCount;
    if (isBack(key)) return MenuRequest::resume;
    const bool less = key == vkLeft, more = key == vkRight;
    switch (menu.row) {
    case rowResume: return isChoose(key) ? MenuRequest::resume : MenuRequest::none;
    case rowMusic: return less ? MenuRequest::musicDown : more ? MenuRequest::musicUp : MenuRequest::none;
    case rowEffects: return less ? MenuRequest::effectsDown : more ? MenuRequest::effectsUp : MenuRequest::none;
    case rowDisplay: return less || more || isChoose(key) ? MenuRequest::toggleFullscreen : MenuRequest::none;
    case rowScale: return less ? MenuRequest::scaleDown : more ? MenuRequest::scaleUp : MenuRequest::none;
    case rowLanguage:
        return less                    ? MenuRequest::languagePrevious
               : more || isChoose(key) ? MenuRequest::languageNext
                                       : MenuRequest::none;
    case rowKeys:
        if (isChoose(key)) {
            menu.keyPage = true;
            menu.keyRow = 0;
        }
        return MenuRequest::none;
    case rowTitle:
    case rowQuit:
        if (!isChoose(key)) return MenuRequest::none;
        if (progressSinceSave(game)) {
            menu.asking = menu.row;
            menu.answerYes = false;
            return MenuRequest::none;
        }
        return menu.row == rowTitle ? MenuRequest::toTitle : MenuRequest::quit;
    default: return MenuRequest::none;
    }
}

void menuKeyAnswered(GameState& game, const std::string& refusal) {
    game.menu.waitingForKey = false;
    game.menu.refusal = refusal;
}

std::string optionsMenuKey(const GameState& game) {
    const OptionsMenu& menu = game.menu;
    if (!menu.open) return {};
    std::string key =
        std::to_string(menu.row) + " " + std::to_string(menu.keyPage) + " " + std::to_string(menu.keyRow) + " " +
        std::to_string(menu.waitingForKey) + " " + std::to_string(menu.asking) + " " + std::to_string(menu.answerYes) +
        " " + menu.refusal + " " + std::to_string(menu.musicVolume) + " " + std::to_string(menu.effectsVolume) + " " +
        std::to_string(menu.mute) + " " + std::to_string(menu.fullscreen) + " " + std::to_string(menu.scale);
    for (const std::string& names : menu.keyNames) key += "\n" + names;
    return key;
}
