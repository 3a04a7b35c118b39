#include "music/music.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/game_state.h"
#include "platform/audio.h"
#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"

namespace {

// Two registered tracks of about 300 ms: "title" (number 1) and "town" (number 2).
class Music : public testing::Test {
protected:
    void startWith(bool silent) {
        if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
        const std::string mp3 = testMp3Bytes(300);
        ASSERT_FALSE(mp3.empty());
        writeTextFile("pict/title.mp3", mp3);
        writeTextFile("pict/town.mp3", mp3);
        useManualClock(1000);
        ASSERT_TRUE(startAudio(silent));
        ASSERT_TRUE(registerTrack(*game, "pict\\title.mp3", "title"));
        ASSERT_TRUE(registerTrack(*game, "pict\\Town.MP3", "town"));
    }
    void TearDown() override {
        releaseAllTracks(*game);
        stopAudio();
    }
    const TrackRecord& track(const char* name) { return game->musicTracks.at(name); }

    TempFolder folder;
    std::unique_ptr<GameState> game = std::make_unique<GameState>();
};

// Waits up to two seconds for the condition.
template <typename Condition>
bool waitFor(Condition condition) {
    for (int i = 0; i < 200; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

}  // namespace

TEST_F(Music, RegisteringTakesEachNameOnceAndOnlyFilesThatDecode) {
    startWith(true);
    EXPECT_FALSE(registerTrack(*game, "pict\\town.mp3", "title"));
    EXPECT_FALSE(registerTrack(*game, "pict\\missing.mp3", "cave"));
    writeTextFile("pict/text.mp3", "plain text, not an MP3 stream at all");
    EXPECT_FALSE(registerTrack(*game, "pict\\text.mp3", "cave"));
    EXPECT_EQ(game->musicTracks.size(), 2u);
    EXPECT_EQ(track("title").number, 1);
    EXPECT_EQ(track("town").number, 2);
    EXPECT_FALSE(track("title").running);
    EXPECT_EQ(trackPosition(track("title")), 0);
}

TEST_F(Music, PlayingARunningTrackDoesNotRestartIt) {
    startWith(true);
    playTrack(*game, "title");
    advanceManualClock(500);
    playTrack(*game, "title");
    EXPECT_TRUE(track("title").running);
    EXPECT_EQ(trackPosition(track("title")), 500);
    // Weeks of clock later the position is held at its top, never negative.
    advanceManualClock(4'000'000'000u);
    EXPECT_EQ(trackPosition(track("title")), 2'147'483'647);
}

TEST_F(Music, SwitchingAwayAndBackStartsTheFirstTrackFromItsBeginning) {
    startWith(true);
    playTrack(*game, "title");
    advanceManualClock(300);
    stopTrack(*game, "title");
    playTrack(*game, "town");
    EXPECT_FALSE(track("title").running);
    EXPECT_EQ(trackPosition(track("title")), 0);
    advanceManualClock(200);
    stopTrack(*game, "town");
    playTrack(*game, "title");
    EXPECT_EQ(trackPosition(track("title")), 0);
    advanceManualClock(40);
    EXPECT_EQ(trackPosition(track("title")), 40);
    EXPECT_EQ(trackPosition(track("town")), 0);
}

TEST_F(Music, UnknownNamesAndNumbersChangeNothing) {
    startWith(true);
    playTrack(*game, "title");
    advanceManualClock(80);
    playTrack(*game, "");
    stopTrack(*game, "cave");
    handleTrackEvents(*game, 0);
    handleTrackEvents(*game, 99);
    handleTrackEvents(*game, -1);
    EXPECT_EQ(game->musicTracks.size(), 2u);
    EXPECT_TRUE(track("title").running);
    EXPECT_EQ(trackPosition(track("title")), 80);
    EXPECT_FALSE(track("town").running);
}

TEST_F(Music, EndOfARunningTrackStartsItAgainAndAStoppedTrackStaysStopped) {
    startWith(true);
    playTrack(*game, "title");
    advanceManualClock(700);
    handleTrackEvents(*game, 1);
    EXPECT_TRUE(track("title").running);
    EXPECT_EQ(trackPosition(track("title")), 0);
    advanceManualClock(80);
    EXPECT_EQ(trackPosition(track("title")), 80);
    handleTrackEvents(*game, 2);
    EXPECT_FALSE(track("town").running);
    EXPECT_EQ(trackPosition(track("town")), 0);
}

TEST_F(Music, StoppingATrackTheMixerDoesNotHoldLeavesTheMusicPlaying) {
    startWith(false);
    playTrack(*game, "title");
    EXPECT_TRUE(mixerPlaying(track("title").song));
    stopTrack(*game, "town");
    EXPECT_TRUE(mixerPlaying(track("title").song));
    EXPECT_FALSE(track("town").running);
    stopTrack(*game, "title");
    EXPECT_FALSE(mixerPlaying(track("title").song));
    EXPECT_FALSE(track("title").running);
    // The halt's own end report does not bring the stopped track back.
    handleTrackEvents(*game, 1);
    EXPECT_FALSE(mixerPlaying(track("title").song));
}

TEST_F(Music, RealEndOfTheMusicIsReportedAndOnlyThenStartsItOver) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const bool events = startWindowSystem();
    startWith(false);
    playTrack(*game, "title");
    ASSERT_TRUE(mixerPlaying(track("title").song));
    // A report while the music still plays (such as a stale one) changes nothing.
    handleTrackEvents(*game, 1);
    EXPECT_TRUE(mixerPlaying(track("title").song));

    ASSERT_TRUE(waitFor([&] { return !mixerPlaying(track("title").song); }));
    if (events) {
        WindowEvent event;
        bool reported = false;
        for (int i = 0; i < 50 && !reported; ++i) {
            reported = waitWindowEvent(event, 20) && event.kind == WindowEventKind::trackEnd && event.value == 1;
        }
        EXPECT_TRUE(reported);
    }
    EXPECT_TRUE(track("title").running);
    handleTrackEvents(*game, 1);
    EXPECT_TRUE(mixerPlaying(track("title").song));
    EXPECT_LT(trackPosition(track("title")), 200);
    if (events) stopWindowSystem();
    unsetenv("SDL_VIDEODRIVER");
}
