// The action table and the keys of a new player: the settings read over them, the texts name them.
#include "core/actions.h"

#include "core/key_codes.h"
#include "platform/window.h"

const std::array<ActionInfo, actionCount> actions = {{
    {"walk_up", vkUp},
    {"walk_down", vkDown},
    {"walk_left", vkLeft},
    {"walk_right", vkRight},
    {"talk", vkV},
    {"attack_space", vkSpace},
    {"attack_b", vkB},
    {"menu", vkN},
    {"save", vkS},
    {"load", vkL},
    {"pause", -1},
}};

const std::array<std::vector<int32_t>, actionCount>& defaultActionKeys() {
    // In the order of the actions.
    static const std::array<std::vector<int32_t>, actionCount> keys = {
        {{vkUp}, {vkDown}, {vkLeft}, {vkRight}, {vkV}, {vkSpace}, {vkB}, {vkN}, {vkS}, {vkL}, {0x50 /* P */}}};
    return keys;
}

std::array<std::string, actionCount> boundKeyNames(const std::array<std::vector<int32_t>, actionCount>& keys) {
    std::array<std::string, actionCount> names;
    for (size_t action = 0; action < names.size(); ++action) {
        if (!keys[action].empty()) names[action] = keyNameOfCode(keys[action].front());
    }
    return names;
}

int32_t actionOfName(const std::string& name) {
    for (int32_t action = 0; action < actionCount; ++action) {
        if (name == actions[static_cast<size_t>(action)].name) return action;
    }
    return -1;
}
