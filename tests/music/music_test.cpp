#include "music/music.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "core/game_state.h"
#include "platform/audio.h"
#include "platform/window.h"
#include "test_media.h"
#include "test_support.h"

namespace {

// Two registered tracks of about 300 ms: "title" (number 1) and "town" (number 2).
class Music : public testing::Test {
protected:
    void startWith(bool silent, int32_t trackMillis = 300) {
        if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
        const std::string mp3 = testMp3Bytes(trackMillis);
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
template <typename Condition> bool waitFor(Condition condition) {
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

TEST_F(Music, ARunningTrackPlaysOnFromItsStartAndOnlyMusicThatStoppedIsStartedOver) {
    startWith(false);
    if (IsSkipped()) return;
    const ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    ASSERT_TRUE(startWindowSystem());
    playTrack(*game, "title");
    ASSERT_TRUE(mixerPlaying(track("title").song));
    // A report while the music still plays (such as a stale one) changes nothing.
    handleTrackEvents(*game, 1);
    EXPECT_TRUE(mixerPlaying(track("title").song));

    // The mixer runs the track on from its start by itself: its position comes round, the music never stops and
    // no end is reported.
    int32_t highest = 0;
    bool cameRound = false, stopped = false, reported = false;
    for (int i = 0; i < 200 && !cameRound; ++i) {
        const int32_t position = trackPosition(track("title"));
        cameRound = highest > 150 && position < highest;
        highest = std::max(highest, position);
        stopped = stopped || !mixerPlaying(track("title").song);
        WindowEvent event;
        reported = reported || (waitWindowEvent(event, 10) && event.kind == WindowEventKind::trackEnd);
    }
    EXPECT_TRUE(cameRound);
    EXPECT_FALSE(stopped);
    EXPECT_FALSE(reported);
    EXPECT_TRUE(track("title").running);

    // Music that stops while its track runs (as a failing decoder would make it) is started over from the start.
    mixerHalt(track("title").song);
    ASSERT_FALSE(mixerPlaying(track("title").song));
    handleTrackEvents(*game, 1);
    EXPECT_TRUE(mixerPlaying(track("title").song));
    EXPECT_LT(trackPosition(track("title")), 200);
    stopWindowSystem();
}

namespace {

// The longest run of quiet frames (both channels below a hundredth of full scale) between the first and the last
// loud frame of a 16-bit stereo capture; `span` gets the frames from the first loud one to the last.
size_t longestQuietRun(const std::string& capture, size_t& span) {
    const auto* samples = reinterpret_cast<const int16_t*>(capture.data());
    const size_t frames = capture.size() / 4;
    constexpr int quiet = 328;
    auto loud = [&](size_t frame) {
        return std::abs(samples[2 * frame]) >= quiet || std::abs(samples[2 * frame + 1]) >= quiet;
    };
    size_t first = 0, last = frames;
    while (first < frames && !loud(first)) ++first;
    while (last > first && !loud(last - 1)) --last;
    span = last - first;
    size_t longest = 0, run = 0;
    for (size_t frame = first; frame < last; ++frame) {
        run = loud(frame) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

}  // namespace

// The mixer's output goes to a file through SDL's disk driver, in real time, while the track-end reports are
// handled as the game's message loop handles them. The tone is loud right up to both of its ends, so a hole at
// the loop point would show as a run of quiet frames.
TEST_F(Music, ARunningTrackLoopsWithoutAHoleAtItsEnd) {
    const std::filesystem::path capture = std::filesystem::absolute("capture.raw");
    {
        const ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", capture.c_str());
        startWith(false, 250);
    }
    if (IsSkipped()) return;
    const ScopedEnv video("SDL_VIDEODRIVER", "dummy");
    ASSERT_TRUE(startWindowSystem());

    playTrack(*game, "title");
    // Half a second of the device's silence before the music at most, then four loops of the 250 ms track, at
    // 44100 frames of 4 bytes a second.
    constexpr std::uintmax_t wanted = 44100 * 4 * 1600 / 1000;
    std::error_code ignored;
    for (int i = 0; i < 2000 && std::filesystem::file_size(capture, ignored) < wanted; ++i) {
        WindowEvent event;
        if (waitWindowEvent(event, 5) && event.kind == WindowEventKind::trackEnd) handleTrackEvents(*game, event.value);
    }
    EXPECT_TRUE(track("title").running);
    stopTrack(*game, "title");
    stopAudio();
    size_t span = 0;
    const size_t quietFrames = longestQuietRun(readTextFile(capture.string()), span);
    EXPECT_GE(span, 44100u * 900 / 1000) << "the capture does not reach past three loop points";
    EXPECT_LE(quietFrames, 44100u * 5 / 1000) << "a hole of " << quietFrames * 1000 / 44100 << " ms";
    stopWindowSystem();
}
