// Which fixed pictures the game holds, and from when: all of them from start-up but the ending's panorama and
// orbs, which only the ending draws. Those are decoded when the ending begins (ahead, on the picture worker) and let
// go on the title again; the title keeps its own part of the panorama meanwhile. Start-up, the language and
// test-play's reload read the fixed pictures through here, the view draws the ending's through here.
#pragma once

#include <string>

#include "core/fixed_pictures.h"
#include "platform/graphics.h"

struct GameState;

// Reads fixed picture `which` from a file named the game's way; an ending picture is read without being kept in
// the picture cache. An empty picture when the file cannot be read.
Picture readFixedPicture(FixedPicture which, const std::string& gamePath);
// Takes a fixed picture read from gamePath into the record, with its source; an ending picture is held only while
// the ending is on, and the panorama leaves the title its part.
void takeFixedPicture(GameState& game, FixedPicture which, const std::string& gamePath, const Picture& picture);
// Asks the picture worker for the ending's pictures once the ending begins; its first frames draw neither.
void askForEndingPictures(GameState& game);
// An ending picture to draw: the held one, else the worker's (waited for while it decodes it) or one decoded now.
// Empty when its file cannot be read.
const Picture& endingPicture(GameState& game, FixedPicture which);
// Lets the ending's pictures go once the title is back.
void letGoEndingPictures(GameState& game);
