// Requests for the save file, taken down with what they need at the moment they are made.
#include "core/save_requests.h"

#include "core/game_state.h"

bool bossBattleUnderWay(const GameState& game) {
    if (game.scene == sceneBoss) return true;
    const bool overBattle = game.scene == sceneMessage || game.scene == sceneQuestion || game.scene == sceneSideMenu;
    return overBattle && game.returnScene == sceneBoss;
}

// Saving on the title or ending screen, or with a dead hero, would overwrite the player's progress with a
// hero that cannot go on; saving during a boss battle would put every reload back into the fight with the life
// the hero had then. Nothing is written in either case.
bool saveAllowed(const GameState& game) {
    return game.scene != sceneFullScreen && game.heroLife >= 1 && !bossBattleUnderWay(game);
}

void requestSave(GameState& game) {
    FileRequest request;
    request.allowed = saveAllowed(game);
    request.saved = game;
    game.fileRequests.push_back(request);
}

void requestLoad(GameState& game) {
    FileRequest request;
    request.kind = FileRequestKind::load;
    game.fileRequests.push_back(request);
}
