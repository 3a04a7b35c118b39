#include "platform/audio.h"

#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "test_media.h"
#include "test_support.h"

// Music and effects share one rule from the player's percent to the mixer's level; mute is silence for both.
TEST(Audio, ThePlayersPercentBecomesTheMixersLevel) {
    const struct {
        int32_t percent;
        bool muted;
        int32_t level;
    } cases[] = {{100, false, 128}, {50, false, 64}, {10, false, 12}, {0, false, 0},
                 {150, false, 128}, {-20, false, 0}, {100, true, 0},  {50, true, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(mixerLevel(c.percent, c.muted), c.level) << c.percent << " " << c.muted;
        setEffectsVolume(c.percent, c.muted);
        EXPECT_EQ(effectsLevel(), c.level) << "the effects' channels take the same level";
    }
    setEffectsVolume(100, false);
}

TEST(Audio, OnlyRealMp3FilesOpenAsSongsAndTheirLengthIsKnown) {
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    TempFolder folder;
    ASSERT_TRUE(startAudio(true));
    EXPECT_TRUE(audioSilent());
    writeTextFile("pict/Tone.mp3", testMp3Bytes(500));
    const Song song = openSong("pict\\tone.mp3");
    ASSERT_TRUE(song.data);
    EXPECT_NEAR(songLengthMillis(song), 500, 30);
    EXPECT_FALSE(mixerPlaying(song));
    EXPECT_EQ(mixerPosition(song), -1);

    EXPECT_FALSE(openSong("pict\\none.mp3").data);
    writeTextFile("pict/empty.mp3", "");
    EXPECT_FALSE(openSong("pict\\empty.mp3").data);
    // A wave file or a picture is not the game's music, whatever its name.
    writeTextFile("pict/wave.mp3", testWavBytes(300));
    EXPECT_FALSE(openSong("pict\\wave.mp3").data);
    writeTestPicture("pict\\picture.mp3", 4, 4, 0xFFFFFFFF);
    EXPECT_FALSE(openSong("pict\\picture.mp3").data);
    // A pipe under a track's name would keep the decoder waiting for a writer for ever; a system file never ends.
    ASSERT_EQ(mkfifo("pict/pipe.mp3", 0600), 0);
    EXPECT_FALSE(openSong("pict\\pipe.mp3").data);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(openSong("/dev/zero").data);
    EXPECT_FALSE(openSong("/proc/self/status").data);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("/proc/self/status: refused"), std::string::npos);
    stopAudio();
    // Songs outlive the mixer safely; nothing opens without it.
    EXPECT_EQ(songLengthMillis(song), -1);
    EXPECT_FALSE(openSong("pict\\tone.mp3").data);
}

// A driver that starts but whose device cannot be opened (the disk driver told to write where it cannot) leaves
// the music to the silent dummy device. The device is opened on a helper thread, as the start-up does.
TEST(Audio, ADeviceThatCannotOpenLeavesTheMusicToTheDummyDevice) {
    if (!lameAvailable()) GTEST_SKIP() << "lame is not installed";
    TempFolder folder;
    {
        const ScopedEnv driver("SDL_AUDIODRIVER", "disk"), file("SDL_DISKAUDIOFILE", "no/such/folder/out.raw");
        ASSERT_TRUE(startAudioSystem(false));
        beginOpeningAudioDevice();
        EXPECT_TRUE(audioDeviceWaiting());
        EXPECT_FALSE(openSong("pict\\tone.mp3").data) << "the mixer is used only once the opening is taken";
        EXPECT_TRUE(takeAudioDevice());
        EXPECT_FALSE(audioDeviceWaiting());
    }
    EXPECT_FALSE(audioSilent());
    writeTextFile("pict/tone.mp3", testMp3Bytes(300));
    const Song song = openSong("pict\\tone.mp3");
    ASSERT_TRUE(song.data);
    mixerPlay(song, 1, 0);
    EXPECT_TRUE(mixerPlaying(song));
    stopAudio();
    EXPECT_FALSE(mixerPlaying(song));
}
