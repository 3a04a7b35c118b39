// Characters and creatures: the hero, townsfolk, enemies and bosses, each painted on a small grid, outlined and
// scaled up so that every sprite shares one chunky pixel look.
#pragma once

#include <cstdint>
#include <string>

#include "paint.h"

// What a person looks like.
struct Look {
    uint32_t hair = paint::colors::brown;
    uint32_t skin = paint::colors::skin;
    uint32_t shirt = paint::colors::blue;
    uint32_t pants = paint::colors::navy;
    uint32_t boots = paint::colors::darkBrown;
    uint32_t accent = paint::colors::red;
    int hat = 0;  // 0 none, 1 cap, 2 hood, 3 helmet, 4 wide hat, 5 headband
    bool beard = false;
    bool apron = false;
    bool robe = false;
    bool cape = false;
    bool spirit = false;  // floats, pale and without legs
};

// One frame of a person on a grid of the given side: facing 0 down, 1 right, 2 left, 3 up; step 0 or 1.
// The result is outlined and scaled by `scale`.
paint::SurfacePtr paintPerson(const Look& look, int facing, int step, int grid, int scale);

// The hero as the game's sheets show him.
Look heroLook();
// A townsperson's look, chosen by keywords of the picture's name and varied by its hash.
Look npcLook(const std::string& name);

// One 25 x 25 enemy cell: kind 0-7, walking frame 0-2.
paint::SurfacePtr paintEnemy(int kind, int frame);

// A boss cell of side `size`: column 0-7 as the hero's sheet (facing and walking frame); look chosen by name.
paint::SurfacePtr paintBossCell(const std::string& name, int column, int size);
// A cut-in portrait for the boss presentation, width x height; hero when name is empty.
paint::SurfacePtr paintCutIn(const std::string& name, int width, int height);

// An NPC strip of four frames (facing down, right, left, up), each frameWidth x frameHeight; people and a few
// things (a save stone, a statue, a treasure chest) chosen by the picture's name.
paint::SurfacePtr paintNpcStrip(const std::string& name, int frameWidth, int frameHeight);
