// Parsed data files are reused only while the file on disk is unchanged; every edit is seen and every fault is
// still reported by the loader that opens the file.
#include "data/document_cache.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <thread>

#include <gtest/gtest.h>

#include "data/xml_access.h"
#include "test_support.h"

namespace {

// Sets a file's modification time, seconds after the epoch, to the nanosecond.
void setModified(const std::string& path, int64_t seconds, int64_t nanos) {
    const timespec times[2] = {{static_cast<time_t>(seconds), static_cast<long>(nanos)},
                               {static_cast<time_t>(seconds), static_cast<long>(nanos)}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

int64_t secondsAgo(int64_t seconds) {
    return static_cast<int64_t>(std::time(nullptr)) - seconds;
}

// The value attribute of the root of a file, read through the loader frame as the game's loaders read.
int32_t valueOf(const std::string& path) {
    int32_t value = -1;
    runXmlLoader(path, [&](XmlDocument& document) {
        value = attributeInt(selectNodes(document, "root").item(0), "value");
        return 1;
    });
    return value;
}

struct DocumentCacheTest : ::testing::Test {
    TempFolder folder;
    void SetUp() override { forgetKeptDocuments(); }
    void TearDown() override { forgetKeptDocuments(); }
};

TEST_F(DocumentCacheTest, AnUnchangedFileGivesTheSameParsedDocumentAgain) {
    writeTextFile("media/a.xml", "<root value=\"1\"/>");
    setModified("media/a.xml", secondsAgo(100), 5);
    XmlDocument first, second;
    ASSERT_TRUE(openXmlDocument(first, "media\\a.xml"));
    ASSERT_TRUE(openXmlDocument(second, "media\\a.xml"));
    EXPECT_EQ(first.data.get(), second.data.get());
}

TEST_F(DocumentCacheTest, AnEditOfTheSameSizeIsSeenByItsNewerTimeOrByItsBytes) {
    writeTextFile("media/a.xml", "<root value=\"1\"/>");
    setModified("media/a.xml", secondsAgo(100), 0);
    EXPECT_EQ(valueOf("media\\a.xml"), 1);

    // Same size, one nanosecond newer.
    writeTextFile("media/a.xml", "<root value=\"2\"/>");
    setModified("media/a.xml", secondsAgo(100), 1);
    EXPECT_EQ(valueOf("media\\a.xml"), 2);

    // Same size, the modification time put back exactly: the change time still differs (a moment later than
    // the file system's time step).
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    writeTextFile("media/a.xml", "<root value=\"3\"/>");
    setModified("media/a.xml", secondsAgo(100), 1);
    EXPECT_EQ(valueOf("media\\a.xml"), 3);

    // Written twice within the same moment, as a file written just now may be: its bytes are compared.
    writeTextFile("media/b.xml", "<root value=\"4\"/>");
    EXPECT_EQ(valueOf("media\\b.xml"), 4);
    struct stat info {};
    ASSERT_EQ(stat("media/b.xml", &info), 0);
    writeTextFile("media/b.xml", "<root value=\"5\"/>");
    setModified("media/b.xml", info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
    EXPECT_EQ(valueOf("media\\b.xml"), 5);
}

TEST_F(DocumentCacheTest, AnEditThatChangesTheSizeIsSeen) {
    writeTextFile("media/a.xml", "<root value=\"1\"/>");
    setModified("media/a.xml", secondsAgo(100), 0);
    EXPECT_EQ(valueOf("media\\a.xml"), 1);
    writeTextFile("media/a.xml", "<root value=\"12345\"/>");
    setModified("media/a.xml", secondsAgo(100), 0);
    EXPECT_EQ(valueOf("media\\a.xml"), 12345);
}

TEST_F(DocumentCacheTest, AFileBrokenOrRemovedAfterItWasKeptIsReportedAsBefore) {
    writeTextFile("media/a.xml", "<root value=\"1\"/>");
    setModified("media/a.xml", secondsAgo(100), 0);
    EXPECT_EQ(valueOf("media\\a.xml"), 1);

    BoxCatcher catcher;
    writeTextFile("media/a.xml", "<root value=\"1\">");
    EXPECT_EQ(runXmlLoader("media\\a.xml", [](XmlDocument&) { return 1; }), 0);
    ASSERT_EQ(catcher.boxes().size(), 1u);
    EXPECT_EQ(catcher.boxes()[0].first, "XMLパースエラー");

    std::filesystem::remove("media/a.xml");
    EXPECT_EQ(runXmlLoader("media\\a.xml", [](XmlDocument&) { return 1; }), 0);
    EXPECT_EQ(catcher.boxes().size(), 2u);
}

TEST_F(DocumentCacheTest, TheQuietOpenShowsNoBoxAndTheLoaderStillReportsTheFault) {
    BoxCatcher catcher;
    writeTextFile("media/a.xml", "<root>");
    XmlDocument document;
    EXPECT_FALSE(openXmlDocumentQuietly(document, "media\\a.xml"));
    EXPECT_FALSE(openXmlDocumentQuietly(document, "media\\missing.xml"));
    EXPECT_TRUE(catcher.boxes().empty());
    EXPECT_FALSE(openXmlDocument(document, "media\\a.xml"));
    EXPECT_EQ(catcher.boxes().size(), 1u);
}

}  // namespace
