// The back buffer with what lies over it: test-play's view first, then the player's notes, then the menu.
#include "app/window_picture.h"

#include "author/edit_panel.h"
#include "author/test_play.h"
#include "core/game_state.h"
#include "game/notes.h"
#include "game/options_menu.h"
#include "game/view.h"
#include "platform/graphics.h"

std::string notesOnScreen(const GameState& game, bool paused) {
    // Test-play's view shows whatever the player's setting for notes says.
    const std::string testPlay = testPlayViewKey(game) + editPanelViewKey(game);
    const std::string notes = playerNotesKey(game, paused);
    const std::string menu = optionsMenuKey(game);
    std::string shown = notes;
    for (const std::string* more : {&testPlay, &menu}) {
        if (!more->empty()) shown += (shown.empty() ? "" : "\n") + *more;
    }
    return shown;
}

const Canvas& pictureWithNotes(GameState& game, bool paused) {
    if (notesOnScreen(game, paused).empty() || !canvasValid(game.backBuffer)) return game.backBuffer;
    Notes& notes = game.notes;
    const int32_t width = canvasWidth(game.backBuffer), height = canvasHeight(game.backBuffer);
    if (canvasWidth(notes.screen) != width || canvasHeight(notes.screen) != height) {
        notes.screen = createCanvas(width, height);
        if (!canvasValid(notes.screen)) return game.backBuffer;
    }
    copyCanvas(notes.screen, game.backBuffer);
    drawTestPlayView(game, notes.screen);
    drawEditView(game, notes.screen);
    drawPlayerNotes(game, notes.screen, paused);
    drawOptionsMenu(game, notes.screen);
    return notes.screen;
}
