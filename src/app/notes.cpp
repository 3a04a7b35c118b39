// Notes drawn over a copy of the back buffer, inside the map view.
#include "app/notes.h"

#include <algorithm>

#include "app/game_state.h"
#include "platform/window.h"

namespace {

constexpr int32_t mapViewSize = 600;
// The pause sign stands over the middle of the map view, just above the hero (drawn at 280-319), not on him.
constexpr int32_t signCentreY = 250;
constexpr uint32_t noteBox = 0xB0000000, noteInk = 0xFFFFFFFF;
const std::string pauseSign = "ポーズ";

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

// A text on a dark box; the box is cut at the map view's right edge, so a long text never reaches the panel.
void drawBoxedText(Canvas& canvas, const Font& font, const std::string& text, int32_t x, int32_t y) {
    int32_t width = 0, height = 0;
    textSize(font, text, width, height);
    clipCanvas(canvas, 0, 0, mapViewSize, mapViewSize);
    fillRect(canvas, x - 8, y - 4, width + 16, height + 8, noteBox);
    drawText(canvas, font, text, x, y, noteInk);
    clipCanvas(canvas, 0, 0, 0, 0);
}

}  // namespace

void showNote(GameState& game, const std::string& text) {
    game.notes.text = text;
    game.notes.until = clockMillis() + noteMillis;
}

std::string notesOnScreen(const GameState& game, bool paused) {
    if (!game.notes.shown) return {};
    const std::string note = currentNote(game);
    const bool sign = signUp(game, paused);
    if (note.empty() && !sign) return {};
    return note + (sign ? "\n" + pauseSign : std::string());
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
    const std::string note = currentNote(game);
    if (!note.empty()) drawBoxedText(notes.screen, game.smallFont, note, 16, 12);
    if (signUp(game, paused)) {
        int32_t signWidth = 0, signHeight = 0;
        textSize(game.largeFont, pauseSign, signWidth, signHeight);
        drawBoxedText(notes.screen, game.largeFont, pauseSign, (mapViewSize - signWidth) / 2,
                      signCentreY - signHeight / 2);
    }
    return notes.screen;
}
