// The game's actions a key or a pad button can be bound to, with the keys they have until the player binds others,
// and the names of the keys bound now, which the texts that name a key show; the settings file reads the bindings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The game's actions a key or a pad button can be bound to, in the order the settings file lists them.
enum Action : int32_t {
    actWalkUp,
    actWalkDown,
    actWalkLeft,
    actWalkRight,
    actTalk,
    actAttackSpace,
    actAttackB,
    actMenu,
    actSave,
    actLoad,
    actPause,
    actionCount
};

struct ActionInfo {
    const char* name;  // the key in the [keys] and [pad] tables
    int32_t gameKey;   // the virtual-key code the game's rules see; -1 for pause, which the game never sees
};
extern const std::array<ActionInfo, actionCount> actions;

// Per action, the keyboard keys (virtual-key codes) it has until the player binds others.
const std::array<std::vector<int32_t>, actionCount>& defaultActionKeys();
// Per action, the name of the first key bound to it (the key's own name, "Space", "Up", "S"), empty for none.
std::array<std::string, actionCount> boundKeyNames(const std::array<std::vector<int32_t>, actionCount>& keys);
// The action of the settings file's key table named `name`, or -1.
int32_t actionOfName(const std::string& name);
