// The installed tree: what `cmake --install` puts where, its desktop files validated, and the installed game's
// command line and failed starts, run from an unrelated folder with a home of the test's own. The Debian package:
// its game in /usr/games with the demo world found from there, and what lintian says of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/build_info.h"
#include "app/command_line.h"
#include "app/installed_tree.h"
#include "platform/graphics.h"
#include "test_support.h"
#include "x_display.h"

namespace fs = std::filesystem;

namespace {

class Install : public installed::TreeTest {
protected:
    installed::Finished runGame(const std::vector<std::string>& arguments, const fs::path& in,
                                std::map<std::string, std::string> environment = {}) {
        environment.emplace("HOME", home.string());
        environment.emplace("DISPLAY", "");
        return installed::runIn(in, environment, (prefix / "bin" / "quorvath").string(), arguments);
    }
    std::string id = applicationId;
};

// The Debian package CPack makes of the build, in the test's own folder. The build folder's lock keeps two
// packagings from running at once.
class Package : public ::testing::Test {
protected:
    void SetUp() override {
        if (!toolAvailable("cpack") || !toolAvailable("dpkg-deb")) GTEST_SKIP() << "cpack or dpkg-deb is missing";
        ASSERT_TRUE(play::demoPicturesReady());
        const std::string build = QUORVATH_BINARY_DIR;
        const std::string command = "flock " + installed::quoted(build + "/package.lock") + " cpack --config " +
                                    installed::quoted(build + "/CPackConfig.cmake") + " -G DEB -B " +
                                    installed::quoted(folder.path().string()) + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        deb = folder.path() / ("quorvath_" + std::string(quorvathVersion) + "_amd64.deb");
        ASSERT_TRUE(fs::exists(deb));
    }
    TempFolder folder;
    fs::path deb;
};

// The package, when lintian is there to look at it.
class LintedPackage : public Package {
protected:
    void SetUp() override {
        if (!toolAvailable("lintian")) GTEST_SKIP() << "lintian is not installed";
        Package::SetUp();
    }
};

}  // namespace

TEST_F(Install, TreeHoldsTheProgramsTheDemoWorldDesktopFilesIconsManPageAndDocs) {
    for (const char* program : {"quorvath", "quorvath-check", "quorvath-paint", "quorvath-sim"})
        EXPECT_EQ(access((prefix / "bin" / program).c_str(), X_OK), 0) << program;
    const fs::path world = prefix / "share" / "quorvath" / "game";
    EXPECT_TRUE(isWorldFolder(world));
    EXPECT_TRUE(fs::exists(world / "pict" / "TITLE.png"));
    EXPECT_TRUE(fs::exists(world / "pict" / "Main Title.mp3"));
    EXPECT_FALSE(fs::exists(world / "pict" / ".tracks-stamp"));
    EXPECT_FALSE(fs::exists(world / "gamedat.xml"));
    // The installed validator passes the installed world, run from elsewhere.
    const installed::Finished check = installed::runIn(elsewhere, {}, (prefix / "bin" / "quorvath-check").string(),
                                                       {world.string()});
    EXPECT_EQ(check.status, 0) << check.out << check.err;

    const std::string desktop = readTextFile((prefix / "share" / "applications" / (id + ".desktop")).string());
    EXPECT_NE(desktop.find("\nExec=quorvath\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nIcon=" + id + "\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nCategories=Game;RolePlaying;\n"), std::string::npos) << desktop;
    const std::string metainfo = readTextFile((prefix / "share" / "metainfo" / (id + ".metainfo.xml")).string());
    EXPECT_NE(metainfo.find("<id>" + id + "</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + id + ".desktop</launchable>"), std::string::npos);
    EXPECT_NE(metainfo.find("version=\"" + std::string(quorvathVersion) + "\""), std::string::npos);
    for (int size : {48, 128, 256}) {
        const std::string side = std::to_string(size);
        const Picture icon = decodePictureFile(
            (prefix / "share" / "icons" / "hicolor" / (side + "x" + side) / "apps" / (id + ".png")).string());
        EXPECT_EQ(pictureWidth(icon), size);
        EXPECT_EQ(pictureHeight(icon), size);
        EXPECT_EQ(picturePixel(icon, 0, 0) >> 24, 0u) << "a cut corner is transparent";
        EXPECT_EQ(picturePixel(icon, size / 2, size / 2) >> 24, 0xFFu);
    }
    // A gzipped man page for each program, and the changelog gzipped beside the licence and the notes.
    for (const auto& [page, head] : {std::pair{"man6/quorvath.6.gz", ".TH QUORVATH 6 "},
                                     std::pair{"man1/quorvath-check.1.gz", ".TH QUORVATH\\-CHECK 1 "},
                                     std::pair{"man1/quorvath-paint.1.gz", ".TH QUORVATH\\-PAINT 1 "},
                                     std::pair{"man1/quorvath-sim.1.gz", ".TH QUORVATH\\-SIM 1 "}}) {
        const std::string man =
            commandOutput("gzip -dc " + installed::quoted((prefix / "share" / "man" / page).string()));
        EXPECT_EQ(man.rfind(head, 0), 0u) << page;
        EXPECT_NE(man.find("quorvath " + std::string(quorvathVersion)), std::string::npos) << page;
    }
    const fs::path docs = prefix / "share" / "doc" / "quorvath";
    EXPECT_EQ(commandOutput("gzip -dc " + installed::quoted((docs / "changelog.gz").string()))
                  .rfind("quorvath (" + std::string(quorvathVersion) + ") ", 0),
              0u);
    for (const char* doc :
         {"copyright", "README.md", "world-format.md", "install.md", "test-play.md", "settings.md", "quorvath-sim.md"})
        EXPECT_TRUE(fs::exists(docs / doc)) << doc;
}

TEST_F(Install, DesktopEntryAndMetainfoValidate) {
    if (!toolAvailable("desktop-file-validate") || !toolAvailable("appstreamcli"))
        GTEST_SKIP() << "desktop-file-utils or appstream is not installed";
    const installed::Finished desktop = installed::runIn(
        elsewhere, {}, "desktop-file-validate", {(prefix / "share" / "applications" / (id + ".desktop")).string()});
    EXPECT_EQ(desktop.status, 0) << desktop.out << desktop.err;
    EXPECT_EQ(desktop.out + desktop.err, "") << "no hints or warnings either";
    const installed::Finished metainfo = installed::runIn(
        elsewhere, {}, "appstreamcli",
        {"validate", "--no-net", "--explain", (prefix / "share" / "metainfo" / (id + ".metainfo.xml")).string()});
    EXPECT_EQ(metainfo.status, 0) << metainfo.out << metainfo.err;
}

TEST_F(Install, InstalledGameAnswersHelpVersionAndMistakesFromAnyFolder) {
    const installed::Finished help = runGame({"--help"}, elsewhere);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, usageText());
    EXPECT_EQ(help.err, "");
    const installed::Finished version = runGame({"--version"}, elsewhere);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "quorvath " + std::string(quorvathVersion) + "\n");
    for (const std::vector<std::string>& mistake :
         {std::vector<std::string>{"--fullscreen-please"}, std::vector<std::string>{"one", "two"}}) {
        const installed::Finished bad = runGame(mistake, elsewhere);
        EXPECT_EQ(bad.status, 2) << mistake[0];
        EXPECT_EQ(bad.out, "");
        EXPECT_NE(bad.err.find(usageText()), std::string::npos) << bad.err;
    }
    EXPECT_TRUE(fs::is_empty(elsewhere));
    EXPECT_TRUE(fs::is_empty(home)) << "nothing is made before the game runs";
}

TEST_F(Install, NoWorldAnywhereExitsOneNamingEveryFolderItLookedIn) {
    // The game alone, moved to where no demo world lies beside it.
    const fs::path moved = folder.path() / "moved" / "bin";
    fs::create_directories(moved);
    fs::copy_file(prefix / "bin" / "quorvath", moved / "quorvath");
    const installed::Finished lost = installed::runIn(elsewhere, {{"HOME", home.string()}, {"DISPLAY", ""}},
                                                      (moved / "quorvath").string(), {});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find(elsewhere.string() + " (the current folder)"), std::string::npos) << lost.err;
    EXPECT_NE(lost.err.find((folder.path() / "moved" / "share" / "quorvath" / "game").string() +
                            " (the installed demo world)"),
              std::string::npos)
        << lost.err;

    // A WORLD that is no world is reported as it is, even with the demo world installed.
    const installed::Finished wrong = runGame({"no-such-world"}, elsewhere);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.err.find((elsewhere / "no-such-world").string() + " (WORLD)"), std::string::npos) << wrong.err;
    EXPECT_EQ(wrong.err.find("installed"), std::string::npos) << wrong.err;
    EXPECT_TRUE(fs::is_empty(home));
}

TEST_F(Install, FailedStartsExitOneAndSayWhyOnStandardError) {
    // No display: the installed world is found, the window cannot open.
    const installed::Finished noDisplay = runGame({}, elsewhere);
    EXPECT_EQ(noDisplay.status, 1);
    EXPECT_NE(noDisplay.err.find("quorvath: cannot open the display"), std::string::npos) << noDisplay.err;

    // A world without its pictures: the picture box, on standard error as well (SDL's driver without a screen
    // cannot show the box itself).
    writeTextFile((elsewhere / "bare" / "media" / "BigMapData.xml").string(), "<map/>");
    const installed::Finished bare = runGame({"bare"}, elsewhere, {{"SDL_VIDEODRIVER", "dummy"}});
    EXPECT_EQ(bare.status, 1);
    EXPECT_NE(bare.err.find("Quorvath: 画像フォルダが開けません\n"), std::string::npos) << bare.err;

    // A --save-dir that cannot be made.
    writeTextFile((elsewhere / "a file").string(), "");
    const installed::Finished blocked = runGame({"--save-dir", "a file/saves"}, elsewhere);
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("Cannot make the save folder " + (elsewhere / "a file" / "saves").string()),
              std::string::npos)
        << blocked.err;
}

TEST_F(Package, HoldsTheGameInUsrGamesWhereItFindsTheDemoWorldAndTheToolsInUsrBin) {
    const fs::path root = folder.path() / "root";
    ASSERT_EQ(std::system(
                  ("dpkg-deb -x " + installed::quoted(deb.string()) + " " + installed::quoted(root.string())).c_str()),
              0);
    EXPECT_FALSE(fs::exists(root / "usr" / "bin" / "quorvath"));
    for (const char* tool : {"quorvath-check", "quorvath-paint", "quorvath-sim"})
        EXPECT_EQ(access((root / "usr" / "bin" / tool).c_str(), X_OK), 0) << tool;
    // Without a display the game stops at the window, after it found its world beside /usr/games.
    const fs::path elsewhere = folder.path() / "elsewhere";
    fs::create_directories(elsewhere);
    const installed::Finished game = installed::runIn(elsewhere,
                                                      {{"HOME", (folder.path() / "home").string()}, {"DISPLAY", ""}},
                                                      (root / "usr" / "games" / "quorvath").string(), {});
    EXPECT_EQ(game.status, 1);
    EXPECT_NE(game.err.find("quorvath: cannot open the display"), std::string::npos) << game.err;
}

TEST_F(LintedPackage, HasNoErrorAndNoWarning) {
    const std::string report = commandOutput("lintian " + installed::quoted(deb.string()) + " 2>&1");
    EXPECT_EQ(report.find("E: "), std::string::npos) << report;
    EXPECT_EQ(report.find("W: "), std::string::npos) << report;
}
