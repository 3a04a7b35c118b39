// The edit mode's changes to what an area holds, each written to the map file as its author would write it and
// kept as one undo step: the selected area's level and enemy count, its enemy kinds, its NPC's picture and its
// door's target (an NPC or a door added when it has none), a door's reset point dragged on the screen it leads to,
// and a new NPC put down from the list of NPC pictures. Each is refused, with why in testPlay.editProblem and the
// file as it was, when it would make the world wrong or when the file no longer says what the game shows. The
// edit panel, the controls and the headless runner call it; after a write they reload the world.
#pragma once

#include <cstdint>
#include <string>

struct EditHistory;
struct GameState;

// The speech line of a new NPC, for its author to write over: it reads as a note to them, not as the NPC's words.
constexpr const char* placeholderSpeech = "（ここに せりふを かく）";
// The side of a new NPC's square box, in map pixels.
constexpr int32_t newNpcSize = 40;

// The selected area's `level` or `enemynum` (name) set to value. enemynum stays within the area's <enemy> elements
// and the five enemy slots; a level below 0 is refused.
bool setAreaNumber(GameState& game, EditHistory& history, const std::string& name, int32_t value);
// An <enemy type> of the kind added to the selected area, after its last <enemy> (or its last <point>).
bool addEnemyKind(GameState& game, EditHistory& history, int32_t type);
// The index-th <enemy> of the selected area taken out; enemynum comes down with it when it would count more than
// are left.
bool removeEnemyKind(GameState& game, EditHistory& history, int32_t index);
// The selected area's NPC shown with picture imageId; an area without an NPC gets one, with the placeholder line.
bool setNpcPicture(GameState& game, EditHistory& history, int32_t imageId);
// The selected area's door leads to screen `next`; an area without a door gets one. When the reset point lies on
// no walkable ground of the new screen (or there is none yet), it moves to a spot of that screen's first area
// without an NPC.
bool setDoorTarget(GameState& game, EditHistory& history, int32_t next);
// A new area: the square NPC box of picture imageId centred on the map point (x, y), its last vertex the top-right
// corner where the picture hangs, with the placeholder line, on the level of the hero's area.
bool addNpcArea(GameState& game, EditHistory& history, int32_t imageId, int32_t x, int32_t y);

// The reset markers: a press at the picture's point (x, y) within reach of one picks it up (false when none is
// there); it follows the mouse; let go, its door's resetx and resety get the map point (true when written, false
// when it did not move or was refused: then the marker goes back).
bool pressResetMarker(GameState& game, int32_t x, int32_t y);
void moveResetMarker(GameState& game, int32_t x, int32_t y);
bool releaseResetMarker(GameState& game, EditHistory& history, int32_t x, int32_t y);
