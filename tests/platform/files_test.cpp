#include "platform/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

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
