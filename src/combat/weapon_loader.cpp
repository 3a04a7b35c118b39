// Loading a weapon of media\WeaponData.xml into one of the two slots, with the step to the next owned weapon.
#include "combat/weapons.h"

#include "app/game_state.h"
#include "data/xml_access.h"

namespace {

// The next owned weapon after current, the current one examined last; with none owned (which the game never
// allows) the search stops after one full turn and keeps current.
int32_t nextOwnedWeapon(const GameState& game, int32_t current) {
    int32_t k = current;
    for (int32_t turn = 0; turn < weaponKindCount; ++turn) {
        k = k >= 0 && k < weaponKindCount - 1 ? k + 1 : 0;
        if (game.weaponOwned[static_cast<size_t>(k)]) return k;
    }
    return current;
}

}  // namespace

// The slot's number changes before the file is read, so it names the new weapon even when the read fails.
int32_t loadWeapon(GameState& game, int32_t slot, int32_t number) {
    if (slot < 0 || slot > 1) return 0;
    int32_t& current = game.weaponSlotIds[static_cast<size_t>(slot)];
    current = number > -1 ? number : nextOwnedWeapon(game, current);
    WeaponSlot& weapon = slot == 0 ? game.weaponSpace : game.weaponB;
    return runXmlLoader("media\\WeaponData.xml", [&](XmlDocument& document) {
        const XmlNodeList roots = selectNodes(document, "weapondatas");
        if (roots.length() == 0) return 0;
        const XmlNodeList weapons = selectNodes(asElement(roots.item(0)), "enemy");
        const XmlNode element = asElement(weapons.item(current));
        weapon.name = attributeText(element, "name");
        weapon.power = attributeInt(element, "power");
        weapon.fly = attributeInt(element, "fly");
        weapon.speed = attributeInt(element, "speed");
        weapon.kayaku = attributeInt(element, "kayaku");
        weapon.wait = attributeInt(element, "wait");
        weapon.pict = attributeInt(element, "pict");
        weapon.howto = attributeText(element, "howto");
        return 1;
    });
}
