#include "platform/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

#include <sys/stat.h>

#include "test_support.h"

TEST(Files, BackslashesBecomeSlashesAndExactNamesWin) {
    TempFolder folder;
    writeTextFile("media/Map.xml", "exact");
    writeTextFile("media/map.xml", "lower");
    EXPECT_EQ(resolveGamePath("media\\Map.xml"), "media/Map.xml");
    EXPECT_EQ(resolveGamePath("media\\map.xml"), "media/map.xml");
    std::string bytes;
    ASSERT_TRUE(readWholeFile("media\\Map.xml", bytes));
    EXPECT_EQ(bytes, "exact");
}

TEST(Files, MissingNamesFallBackToAUniqueCaseInsensitiveMatchInEveryFolder) {
    TempFolder folder;
    writeTextFile("Pict/Sub/MAN.png", "m");
    writeTextFile("pict2/Cave Scene  Ⅱ.mp3", "c");
    writeTextFile("pict3/ＡＢＣ.png", "w");
    EXPECT_EQ(resolveGamePath("pict\\sub\\man.PNG"), "Pict/Sub/MAN.png");
    EXPECT_EQ(resolveGamePath("PICT2\\cave scene  ⅱ.MP3"), "pict2/Cave Scene  Ⅱ.mp3");
    EXPECT_EQ(resolveGamePath("pict3\\ａｂｃ.png"), "pict3/ＡＢＣ.png");
    // A different number of blanks is a different name.
    EXPECT_EQ(resolveGamePath("pict2\\Cave Scene Ⅱ.mp3"), "pict2/Cave Scene Ⅱ.mp3");
    std::string bytes;
    ASSERT_TRUE(readWholeFile("PICT\\SUB\\man.png", bytes));
    EXPECT_EQ(bytes, "m");
}

TEST(Files, AmbiguousOrAbsentMatchesLeaveThePathAsConverted) {
    TempFolder folder;
    writeTextFile("data/Two.txt", "1");
    writeTextFile("data/TWO.txt", "2");
    EXPECT_EQ(resolveGamePath("data\\two.txt"), "data/two.txt");
    EXPECT_EQ(resolveGamePath("nothing\\here.txt"), "nothing/here.txt");
    std::string bytes = "kept";
    EXPECT_FALSE(readWholeFile("data\\two.txt", bytes));
    EXPECT_FALSE(readWholeFile("data", bytes));
    EXPECT_EQ(bytes, "kept");
    // An absolute path resolves too.
    const std::string absolute = (std::filesystem::current_path() / "DATA" / "Two.txt").string();
    EXPECT_EQ(resolveGamePath(absolute), (std::filesystem::current_path() / "data" / "Two.txt").string());
}

TEST(Files, WholeFilesAreReadByteForByte) {
    TempFolder folder;
    const std::string content("\xEF\xBB\xBF<a>\0\r\n</a>", 12);
    writeTextFile("f.xml", content);
    std::string bytes;
    ASSERT_TRUE(readWholeFile("f.xml", bytes));
    EXPECT_EQ(bytes, content);
    writeTextFile("empty.xml", "");
    ASSERT_TRUE(readWholeFile("empty.xml", bytes));
    EXPECT_EQ(bytes, "");
}

TEST(Files, AtomicWritesReplaceTheFileAndKeepTheOneReplaced) {
    TempFolder folder;
    EXPECT_EQ(writeFileAtomically("save.xml", "first"), 0);
    EXPECT_EQ(readTextFile("save.xml"), "first");
    EXPECT_FALSE(std::filesystem::exists("save.xml.bak"));  // nothing was replaced
    EXPECT_EQ(writeFileAtomically("save.xml", "second"), 0);
    EXPECT_EQ(writeFileAtomically("save.xml", "third"), 0);
    EXPECT_EQ(readTextFile("save.xml"), "third");
    EXPECT_EQ(readTextFile("save.xml.bak"), "second");
    EXPECT_FALSE(std::filesystem::exists("save.xml.tmp"));
}

TEST(Files, FailedAtomicWritesGiveTheSystemErrorAndLeaveTheFileAsItWas) {
    TempFolder folder;
    EXPECT_EQ(writeFileAtomically("no/such/folder/save.xml", "x"), ENOENT);

    writeTextFile("save.xml", "kept");
    std::filesystem::create_directory("save.xml.tmp");
    EXPECT_EQ(writeFileAtomically("save.xml", "lost"), EISDIR);
    EXPECT_EQ(readTextFile("save.xml"), "kept");
    std::filesystem::remove("save.xml.tmp");

    // The last step fails: a folder cannot be replaced by a file; the written temporary is removed again.
    std::filesystem::create_directories("folder/inside");
    EXPECT_EQ(writeFileAtomically("folder", "x"), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory("folder/inside"));
    EXPECT_FALSE(std::filesystem::exists("folder.tmp"));
}

// Nothing found at the temporary's or the backup's name is written through: a link planted there (to a file
// anywhere the player can write), a hard link, a pipe or a leftover is taken away by its name. A link the player
// keeps stays one, the file it leads to replaced beside itself with its permissions; a link to nothing or to
// itself is refused and left as it is.
TEST(Files, AtomicWritesNeverWriteThroughWhatTheyFindAndKeepThePlayersLinks) {
    TempFolder folder;
    namespace fs = std::filesystem;
    writeTextFile("elsewhere/victim.txt", "victim");
    const std::pair<const char*, void (*)()> planted[] = {
        {"link", [] { fs::create_symlink(fs::absolute("elsewhere/victim.txt"), "save.xml.tmp"); }},
        {"hard link", [] { fs::create_hard_link("elsewhere/victim.txt", "save.xml.tmp"); }},
        {"link to nothing", [] { fs::create_symlink("elsewhere/new.txt", "save.xml.tmp"); }},
        {"pipe", [] { ::mkfifo("save.xml.tmp", 0644); }},
        {"leftover", [] { writeTextFile("save.xml.tmp", "half"); }},
        {"link as backup", [] { fs::create_symlink(fs::absolute("elsewhere/victim.txt"), "save.xml.bak"); }},
    };
    for (const auto& [what, plant] : planted) {
        writeTextFile("save.xml", "old");
        fs::remove("save.xml.bak");
        plant();
        EXPECT_EQ(writeFileAtomically("save.xml", what), 0) << what;
        EXPECT_EQ(readTextFile("save.xml") + " " + readTextFile("save.xml.bak") + " " +
                      readTextFile("elsewhere/victim.txt"),
                  std::string(what) + " old victim");
        EXPECT_FALSE(fs::exists(fs::symlink_status("save.xml.tmp")) || fs::exists("elsewhere/new.txt")) << what;
    }

    writeTextFile("dotfiles/settings.toml", "old");
    fs::permissions("dotfiles/settings.toml", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("dotfiles/settings.toml", "settings.toml");
    EXPECT_EQ(writeFileAtomically("settings.toml", "new"), 0);
    EXPECT_EQ(fs::read_symlink("settings.toml"), "dotfiles/settings.toml");
    EXPECT_EQ(readTextFile("dotfiles/settings.toml") + readTextFile("dotfiles/settings.toml.bak"), "newold");
    EXPECT_EQ(fs::status("dotfiles/settings.toml").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("gone.toml", "nothing.toml");
    fs::create_symlink("loop.toml", "loop.toml");
    for (const auto& [name, why] : {std::pair{"nothing.toml", "it is a symbolic link to nothing (gone.toml)"},
                                    std::pair{"loop.toml", "it is a symbolic link that leads round in a loop"}}) {
        std::string said;
        EXPECT_NE(writeFileAtomically(name, "x", &said), 0);
        EXPECT_EQ(said, why);
        EXPECT_TRUE(fs::is_symlink(name) && !fs::exists(std::string(name) + ".tmp")) << name;
    }
}

// A path written in world data stays inside the world folder as the data spell it, ".." steps within it
// included; what climbs out, absolute paths and drive letters are refused with a line on standard error,
// while the game's own names (the save file in the player's folder) still go anywhere.
TEST(Files, PathsNamedByWorldDataStayInsideTheWorldFolder) {
    TempFolder folder;
    writeTextFile("secret.txt", "outside");
    writeTextFile("world/pict/a.png", "inside");
    std::filesystem::current_path("world");
    for (const std::string good : {"pict\\a.png", "pict\\..\\pict\\a.png", ".\\pict\\a.png", ""})
        EXPECT_EQ(worldPathProblem(good), "") << good;
    for (const std::string bad : {"..\\secret.txt", "pict\\..\\..\\secret.txt", "/etc/passwd", "C:\\secret.txt",
                                  "\\\\server\\share\\secret.txt", "pict\\..\\..\\world\\pict\\a.png"})
        EXPECT_NE(worldPathProblem(bad), "") << bad;

    EXPECT_EQ(resolveGamePath("Pict\\Sub\\..\\A.PNG", PathNamer::worldData), "pict/a.png");
    testing::internal::CaptureStderr();
    EXPECT_EQ(resolveGamePath("..\\..\\secret.txt", PathNamer::worldData), "");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("..\\..\\secret.txt: refused: the path leaves the world folder"), std::string::npos) << said;

    std::string bytes;
    ASSERT_TRUE(readWholeFile("..\\secret.txt", bytes));
    EXPECT_EQ(bytes, "outside");
}

// Folders linked into the world are its owner's choice and are followed, but ".." is taken as written, never
// as a step up from where a link points.
TEST(Files, LinkedFoldersAreFollowedButDotDotNeverClimbsThroughThem) {
    TempFolder folder;
    writeTextFile("shared/deep/x.txt", "shared");
    writeTextFile("world/pict/a.png", "inside");
    std::filesystem::create_directory_symlink(std::filesystem::absolute("shared/deep"), "world/linked");
    std::filesystem::current_path("world");
    EXPECT_EQ(resolveGamePath("linked\\x.txt", PathNamer::worldData), "linked/x.txt");
    EXPECT_EQ(resolveGamePath("linked\\..\\pict\\a.png", PathNamer::worldData), "pict/a.png");
    testing::internal::CaptureStderr();
    EXPECT_EQ(resolveGamePath("linked\\..\\..\\shared\\deep\\x.txt", PathNamer::worldData), "");
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
}

// /proc files pass for regular files; they and everything else under /proc, /sys and /dev are refused, also
// through a link in the world, with their name on standard error. A name too long for the file system is
// reported, not thrown.
TEST(Files, SystemFilesAreNeverReadAndOverlongNamesAreReported) {
    TempFolder folder;
    std::filesystem::create_symlink("/proc/self/status", "status.xml");
    for (const std::string path : {"/proc/self/status", "status.xml"}) {
        std::string bytes = "kept";
        testing::internal::CaptureStderr();
        EXPECT_FALSE(readWholeFile(path, bytes));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(bytes, "kept");
        EXPECT_NE(said.find(path + ": refused: files under /proc, /sys and /dev"), std::string::npos) << said;
        EXPECT_EQ(fileProblem(path), FileProblem::systemFile);
    }
    EXPECT_EQ(fileProblem("/dev/null"), FileProblem::notRegularFile);
    EXPECT_EQ(openFileForReading("/dev/null"), -1);

    const std::string overlong = "pict/" + std::string(300, 'a') + ".png";
    EXPECT_EQ(fileProblem(overlong), FileProblem::nameTooLong);
    EXPECT_EQ(resolveGamePath(overlong), overlong);
    EXPECT_EQ(resolveGamePath("PICT\\" + std::string(300, 'a') + ".png", PathNamer::worldData),
              "PICT/" + std::string(300, 'a') + ".png");
    writeTextFile("f.txt", "x");
    EXPECT_EQ(fileProblem("f.txt"), FileProblem::none);
    EXPECT_EQ(fileProblem("none.txt"), FileProblem::missing);
}
