// The edit mode's problems of a screen, on small worlds written here: each problem the validator finds is matched
// to what it concerns on the screen through its file and line, and a boss's arena point dragged is written to its
// gx and gy alone.
#include <gtest/gtest.h>

#include "author/world_check.h"
#include "platform/audio.h"
#include "test_media.h"
#include "test_support.h"

namespace {

// A failed reload asks the validator for its first error while the game runs: that check leaves the game's audio
// device open, where the whole check would open and close one of its own for the tracks.
TEST(ScreenProblems, TheCheckInARunningGameLeavesItsAudioOpen) {
    TempFolder folder;
    if (!writeStartUpMedia()) GTEST_SKIP() << "lame is missing: no MP3 track to play";
    ASSERT_TRUE(startAudio(true));
    checkWorld(CheckDepth::inGame);
    EXPECT_NE(openSong(trackFiles[0][1]).data, nullptr);
    stopAudio();
}

}  // namespace
