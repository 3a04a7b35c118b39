#include "combat/weapons.h"

#include <gtest/gtest.h>

#include "app/game_state.h"
#include "test_support.h"

namespace {

// Twelve weapons under the element name the weapon file shares with the enemy file.
void writeWeaponFile() {
    std::string text = "<weapondatas>\n";
    for (int i = 0; i < weaponKindCount; ++i) {
        const std::string n = std::to_string(i);
        text += "<enemy name=\"weapon " + n + "\" power=\"" + n + "\" fly=\"" + std::to_string(i % 4) +
                "\" speed=\"" + std::to_string(20 + i) + "\" kayaku=\"" + std::to_string(i * 2) + "\" wait=\"" +
                std::to_string(i * 100) + "\" pict=\"" + std::to_string(i % 3) + "\" howto=\"text " + n + "\"/>\n";
    }
    writeTextFile("media/WeaponData.xml", text + "</weapondatas>\n");
}

}  // namespace

TEST(WeaponLoader, FirstNewGameStepsBothSlotsToWeaponFive) {
    TempFolder folder;
    writeWeaponFile();
    GameState game;
    EXPECT_EQ(loadWeapon(game, 0, -1), 1);
    EXPECT_EQ(loadWeapon(game, 1, -1), 1);
    EXPECT_EQ(game.weaponSlotIds, (std::array<int32_t, 2>{5, 5}));
    const WeaponSlot& weapon = game.weaponB;
    EXPECT_EQ(weapon.name, "weapon 5");
    EXPECT_EQ(std::make_tuple(weapon.power, weapon.fly, weapon.speed, weapon.kayaku, weapon.wait, weapon.pict),
              std::make_tuple(5, 1, 25, 10, 500, 2));
    EXPECT_EQ(weapon.howto, "text 5");
    EXPECT_EQ(game.weaponSpace.name, "weapon 5");
}

TEST(WeaponLoader, StepWrapsFromElevenToZeroAndComesBackWhenAloneOwned) {
    TempFolder folder;
    writeWeaponFile();
    GameState game;
    game.weaponOwned = {};
    game.weaponOwned[11] = game.weaponOwned[0] = true;
    game.weaponSlotIds[0] = 11;
    EXPECT_EQ(loadWeapon(game, 0, -1), 1);
    EXPECT_EQ(game.weaponSlotIds[0], 0);

    game.weaponOwned = {};
    game.weaponOwned[7] = true;
    game.weaponSlotIds[1] = 7;
    EXPECT_EQ(loadWeapon(game, 1, -1), 1);
    EXPECT_EQ(game.weaponSlotIds[1], 7);

    game.weaponOwned = {};  // never happens in play; the search must still end
    EXPECT_EQ(loadWeapon(game, 1, -1), 1);
    EXPECT_EQ(game.weaponSlotIds[1], 7);
}

TEST(WeaponLoader, NumberChangesBeforeAFailedReadAndBadSlotsAreIgnored) {
    TempFolder folder;
    writeWeaponFile();
    BoxCatcher boxes;
    GameState game;
    ASSERT_EQ(loadWeapon(game, 1, 3), 1);
    EXPECT_EQ(loadWeapon(game, 1, 12), 0);
    EXPECT_EQ(game.weaponSlotIds[1], 12);
    EXPECT_EQ(game.weaponB.name, "weapon 3");
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");

    const auto ids = game.weaponSlotIds;
    EXPECT_EQ(loadWeapon(game, 2, 4), 0);
    EXPECT_EQ(loadWeapon(game, -1, -1), 0);
    EXPECT_EQ(game.weaponSlotIds, ids);
    EXPECT_EQ(boxes.boxes().size(), 1u);
}
