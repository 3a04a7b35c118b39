// quorvath-check --new: the world it makes passes the validator with nothing to report, follows the schemas, and
// plays from its own start: the hero talks to the town's villager and walks through the door into the field.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "test_media.h"
#include "test_support.h"

TEST(NewWorld, PassesTheValidatorAndPlaysFromItsOwnStart) {
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed: the new world's tracks cannot be made";
    TempFolder folder;
    const std::string bin = QUORVATH_BINARY_DIR;
    std::string output;
    ASSERT_EQ(runCommand("'" + bin + "/quorvath-check' --new world", output), 0) << output;
    // A folder that is taken is refused.
    EXPECT_EQ(runCommand("'" + bin + "/quorvath-check' --new world", output), 2) << output;

    ASSERT_EQ(runCommand("env -u DISPLAY '" + bin + "/quorvath-check' world --json", output), 0) << output;
    const auto report = nlohmann::json::parse(output, nullptr, false);
    EXPECT_EQ(report["errors"], 0) << output;
    EXPECT_EQ(report["warnings"], 0) << output;
    if (runCommand("xmllint --version", output) == 0) {
        for (const char* name :
             {"BigMapData", "NPCPictList", "EnemyData", "WeaponData", "BossData", "ItemData", "WorldRules"}) {
            EXPECT_EQ(runCommand("xmllint --noout --schema '" + std::string(QUORVATH_SOURCE_DIR) + "/dist/schemas/" +
                                     name + ".xsd' world/media/" + name + ".xml",
                                 output),
                      0)
                << output;
        }
    }

    std::filesystem::current_path("world");
    int status = -1;
    const auto out = runSim(
        "press Down\npress V\n"
        "expect currentMap 0\nexpect heroX 500\nexpect heroY 500\n"
        // up to the villager's box, whose edge stops the hero at y 300, and talk
        "down Up\ntick 25\nup Up\nexpect heroY 300\npress V\nexpect messageLines[1] \"ようこそ、はじまりの町へ。\"\n"
        "press V\npress V\nexpect scene 0\n"
        // back down and east through the door into the field, which plays its own track
        "down Down\ntick 20\nup Down\ndown Right\ntick 41\nup Right\ntick\nexpect currentMap 1\nexpect heroX 130\nexpect music[2].running true  # cave, by name the third\n"
        "expect music[7].running false\n"
        "quit\n",
        &status);
    std::filesystem::current_path("..");
    EXPECT_EQ(status, 0);
    for (const auto& line : out) EXPECT_FALSE(line.contains("error")) << line.dump();
}
