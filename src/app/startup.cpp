// Start-up, the message loop with the 80 ms frame clock, and shut-down.
#include "app/startup.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "app/command_line.h"
#include "app/controls.h"
#include "app/language.h"
#include "app/recording.h"
#include "app/replay.h"
#include "app/settings.h"
#include "app/window_picture.h"
#include "author/test_play.h"
#include "core/fixed_pictures.h"
#include "core/game_state.h"
#include "core/keys.h"
#include "core/story_flags.h"
#include "core/view_geometry.h"
#include "game/frame_tick.h"
#include "game/notes.h"
#include "game/picture_holding.h"
#include "game/save_file.h"
#include "game/translation.h"
#include "music/music.h"
#include "platform/audio.h"
#include "platform/graphics.h"
#include "platform/picture_cache.h"
#include "platform/window.h"
#include "world/movement.h"
#include "world/screen_prefetch.h"

namespace {

constexpr auto tickPeriod = std::chrono::milliseconds(80);
// How often test-play looks at the world's files: an edit shows within two looks once the editor is done.
constexpr auto worldLookPeriod = std::chrono::milliseconds(250);

// The pictures the game cannot start without, in the order they are tested.
constexpr FixedPicture requiredPictures[] = {picMan,       picVs,       picMycutin,       picDungan, picTekismall,
                                             picSidePanel, picSannkaku, picSannkakuBlack, picMenu};

// The tracks decoded on the open mixer; false (after the box) when one does not open.
bool registerTracks(GameState& game) {
    takeAudioDevice();
    for (const auto& [name, file] : game.rules.tracks) {
        if (!registerTrack(game, file, name)) {
            showMessageBox("サウンドファイルが開けません", "ZIZov");
            return false;
        }
    }
    return true;
}

// A frame over the period right after the window's picture was laid out anew (the window shown, resized, made
// fullscreen) is counted apart: the window system's new surface is what it waited for.
void noteFrameTime(FrameTimes& times, double millis, bool laidOut) {
    times.frames += 1;
    if (millis > static_cast<double>(tickPeriod.count())) (laidOut ? times.overAfterLayout : times.overPeriod) += 1;
    times.worstMillis = std::max(times.worstMillis, millis);
}

// The frames' times, written when the game ends to the file QUORVATH_FRAME_TIMES names (the benchmarks read it).
void writeFrameTimes(const FrameTimes& times) {
    const char* file = std::getenv("QUORVATH_FRAME_TIMES");
    if (!file || !*file) return;
    if (FILE* out = std::fopen(file, "w")) {
        std::fprintf(out, "frames %llu\nover 80 ms %llu\nover 80 ms after a new layout %llu\nworst %.1f ms\n",
                     static_cast<unsigned long long>(times.frames), static_cast<unsigned long long>(times.overPeriod),
                     static_cast<unsigned long long>(times.overAfterLayout), times.worstMillis);
        std::fclose(out);
    }
}

}  // namespace

// One thread runs everything: messages are handled between ticks, so no tick sees a half-done save or load.
void runMessageLoop(GameState& game, Controls& controls, uint32_t limitMillis) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(limitMillis);
    auto nextTick = Clock::now();
    auto nextWorldLook = Clock::now() + worldLookPeriod;
    uint32_t paintedRepaints = game.repaints;
    std::string paintedNotes;
    bool firstFramePainted = false;
    uint64_t frameLayouts = windowLayouts();
    while (!controls.quit && (limitMillis == 0 || Clock::now() < end)) {
        const auto now = Clock::now();
        if (now >= nextTick) {
            const auto due = nextTick;
            const bool ticking = !controls.paused && !game.menu.open && !game.testPlay.editing;
            // A paused game runs no tick at all: the frame counter and everything it times stand still.
            // The menu and the edit mode freeze the game under them as the pause does.
            // A replay's tick moves the game's clock by what its script says: 80 ms, more after a wait, none for
            // a frame; the next one is due that much later, or at once when fast.
            auto period = std::chrono::milliseconds(tickPeriod);
            const bool replayed = ticking && controls.replay.on;
            if (replayed) {
                const int64_t moved = playReplayTick(game, controls.replay);
                if (moved >= 0) period = std::chrono::milliseconds(controls.replay.fast ? 0 : moved);
                // At its end the window's own activity reaches the game as its message would have.
                if (moved < 0 && (game.windowInactive == 0) != controls.replay.windowActive) {
                    WindowEvent activity;
                    activity.kind = WindowEventKind::activate;
                    activity.value = controls.replay.windowActive ? 1 : 0;
                    handleInputEvent(game, controls, activity);
                }
            }
            if (ticking && !replayed) {
                const uint32_t previousTick = game.lastTickTime;
                frameTick(game);
                recordTick(controls.recording, game.tickNow - previousTick < minimumTickMillis);
            }
            // Notes come and go between ticks too (a pause, a mute): the window is repainted when they change.
            // A tick whose frame is the one the window shows already (the title, a hero standing) paints nothing.
            const std::string notes = notesOnScreen(game, controls.paused);
            const bool shownAlready = game.stillFrame.frameUnchanged && game.repaints == paintedRepaints + 1;
            if ((game.repaints != paintedRepaints && !shownAlready) || notes != paintedNotes) {
                paintWindow(pictureWithNotes(game, controls.paused));
                paintedNotes = notes;
            }
            paintedRepaints = game.repaints;
            // A fast replay's ticks were never due at a time, so none of them is late.
            if (ticking && !(replayed && controls.replay.fast)) {
                noteFrameTime(controls.frameTimes,
                              std::chrono::duration<double, std::milli>(Clock::now() - due).count(),
                              !firstFramePainted || windowLayouts() != frameLayouts);
            }
            frameLayouts = windowLayouts();
            if (!firstFramePainted) prefetchReachableScreens(game);
            firstFramePainted = true;
            // The audio device opened beside the first frames: its tracks are registered once it is there, and the
            // music rule starts the scene's track on the next tick. A track that does not decode ends the game
            // as it ended the start before.
            if (audioDeviceSettled() && !registerTracks(game)) {
                controls.quit = true;
                controls.startFailed = true;
            }
            // A late tick is not made up for: the next one comes a whole period later.
            nextTick += period;
            const auto afterTick = Clock::now();
            if (nextTick < afterTick || (period.count() > 0 && nextTick == afterTick)) nextTick = afterTick + period;
            // Between a fast replay's ticks the window's messages are taken as they come, without waiting.
            for (WindowEvent event; replayed && controls.replay.fast && waitWindowEvent(event, 0);) {
                handleInputEvent(game, controls, event);
                runFileRequests(game);
            }
            continue;
        }
        // In test-play the world is read again once an edited file holds still.
        if (controls.testPlay && now >= nextWorldLook) {
            nextWorldLook = now + worldLookPeriod;
            if (worldChangedOnDisk(controls.watch)) reloadWorldNow(game, controls);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTick - now).count();
        WindowEvent event;
        if (waitWindowEvent(event, static_cast<uint32_t>(wait))) {
            handleInputEvent(game, controls, event);
            // A save or load asked for by a key is carried out at once, between ticks.
            runFileRequests(game);
        }
    }
}

namespace {

// The slow parts of the start that need nothing from each other run beside the window's making: the fonts and
// the pictures are made on one helper thread, the audio device is opened on another (SDL may take a while to
// find out that there is none). Each writes only its own part (the fonts and pictures of the game record, the
// audio unit's device). The pictures are joined before anything reads them; the window's start does not wait for
// the audio device: the tracks are registered once it is open, after the first frame (runMessageLoop).
struct StartUpLoads {
    std::thread fontsAndPictures;
};

void beginStartUp(GameState& game, bool headless, StartUpLoads& loads) {
    // The world's own rules place the hero of a new game; a world without them leaves the play state as it is.
    game.rules = readWorldRules();
    if (game.rules.fromFile) applyStartRules(game);
    game.storyFlags[flagScreenMode] = screenTitle;
    game.keyDown.fill(0);
    game.keyLatch.fill(0);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // The clock is first read as the start begins: the first tick, due as soon as the window shows, is then well
    // over 10 ms later and draws the title at once instead of returning as a tick too close to the last.
    game.lastTickTime = clockMillis();

    startAudioSystem(headless);
    beginOpeningAudioDevice();
    loads.fontsAndPictures = std::thread([&game] {
        game.smallFont = createFont(16);
        game.largeFont = createFont(20);
        for (int32_t i = 0; i < fixedPictureCount; ++i) {
            const auto which = static_cast<FixedPicture>(i);
            takeFixedPicture(game, which, fixedPictureFiles[i], readFixedPicture(which, fixedPictureFiles[i]));
        }
    });
}

// Waits for the pictures, then goes on in the start's own order: the required pictures are tested, the tracks
// are registered (or, for the window, whose start does not wait for the audio device, their files are looked
// for), the back buffer is made. A missing file shows its box and ends the start, as before.
bool finishStartUp(GameState& game, StartUpLoads& loads, bool forWindow) {
    loads.fontsAndPictures.join();
    for (FixedPicture required : requiredPictures) {
        if (!pictureLoaded(game.pictures[required])) {
            showMessageBox("画像フォルダが開けません", "Quorvath");
            return false;
        }
    }

    if (!forWindow) {
        if (!registerTracks(game)) return false;
    } else {
        for (const auto& [name, file] : game.rules.tracks) {
            if (!songFileReadable(file)) {
                showMessageBox("サウンドファイルが開けません", "ZIZov");
                return false;
            }
        }
    }

    game.backBuffer = createCanvas(screenWidth, screenHeight);
    if (!canvasValid(game.backBuffer)) return false;
    // While the title is shown, the screens a new game and the saved game start on are decoded ahead; the
    // window's start asks for them once its first frame is painted (runMessageLoop), since finding them reads
    // the map file.
    startPictureWorker();
    if (!forWindow) prefetchReachableScreens(game);
    return true;
}

}  // namespace

bool startUp(GameState& game, bool headless) {
    StartUpLoads loads;
    beginStartUp(game, headless, loads);
    return finishStartUp(game, loads, false);
}

void shutDown(GameState& game) {
    // A save asked for in the game's last moment is written before the game ends.
    writeRequestedSaves(game);
    stopPictureWorker();
    game.backBuffer = Canvas{};
    game.stillFrame = StillFrame{};
    for (Picture& picture : game.pictures) picture = Picture{};
    game.titlePanorama = Picture{};
    game.smallFont = Font{};
    game.largeFont = Font{};
    closeWindow();
    releaseAllTracks(game);
    stopAudio();
    stopWindowSystem();
}

// A start that fails ends with status 1, so that a launcher or a script sees it; the player has seen the box
// or the line on standard error that says why. A start place that the world does not have is a mistake on the
// command line, status 2.
int runGame(const LaunchOptions& options) {
    // The recording is named from where the game was started, before the world's folder becomes the current one.
    std::error_code noFolder;
    const std::string recordFile = options.record.empty()
                                       ? std::string()
                                       : std::filesystem::absolute(options.record, noFolder).string();
    // The script to replay is read whole, as the player named it, before anything starts: a line the window
    // cannot play is refused as a bad option is.
    Replay replay;
    std::string replayFolder;
    if (!options.replay.empty()) {
        const std::string problem = readReplayFile(options.replay, replay.script, replayFolder);
        if (!problem.empty()) {
            std::fprintf(stderr, "quorvath: --replay: %s\n", problem.c_str());
            return 2;
        }
    }
    LaunchPlace place;
    if (!enterWorld(options, place)) return 1;
    // Its start places are the world's, its saved games lie beside it.
    if (!options.replay.empty()) {
        std::string problem;
        if (!checkReplayInWorld(replay.script, replayFolder, problem)) {
            std::fprintf(stderr, "quorvath: --replay: %s\n", problem.c_str());
            return 2;
        }
    }
    if (options.startScreen >= 0) {
        bool worldFault = false;
        const std::string problem = startPlaceProblem(options.startScreen, options.startX, options.startY, &worldFault);
        // A map that cannot be read is the world's fault, not the command line's: the start fails.
        if (worldFault) {
            std::fprintf(stderr, "quorvath: %s\n", problem.c_str());
            return 1;
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "quorvath: --screen %d --at %d,%d: %s\n", options.startScreen, options.startX,
                         options.startY, problem.c_str());
            return 2;
        }
    }
    // A recording never waits on a pipe, never overwrites the world's own files, and overwrites others only when
    // asked to: all decided before the window opens.
    if (!recordFile.empty()) {
        const std::string problem = recordingProblem(recordFile, options.force);
        if (!problem.empty()) {
            std::fprintf(stderr, "quorvath: --record: %s\n", problem.c_str());
            return 2;
        }
    }
    // Test-play checks the world as quorvath-check does; errors are shown once the window system runs.
    const std::string worldErrors = options.testPlay ? reportWorldCheck(std::cerr) : std::string();
    if (!startWindowSystem()) {
        std::fprintf(stderr, "quorvath: cannot open the display: %s\n", windowSystemError().c_str());
        return 1;
    }
    // The player's settings never stop the start: what is wrong in them is reported and left at its default.
    // The game record is large; it lives on the heap for the whole run.
    auto game = std::make_unique<GameState>();
    Controls controls;
    controls.settingsPath = settingsFilePath();
    readPlayerSettings(*game, controls, std::cerr);
    controls.testPlay = options.testPlay;
    // The command line decides for this start only; the settings keep what the player chose.
    controls.startDisplay = displayForStart(controls.settings.display, options);
    // The loads begin only now: SDL's video start sets the process's locale for a moment, which no other thread
    // may be using then.
    StartUpLoads loads;
    beginStartUp(*game, false, loads);
    // The window is made while the start loads, but hidden: it shows only once every file the start needs was
    // found, so a missing one shows its box with no window on the screen, as it always did.
    const bool windowMade = openWindow("Quorvath", screenWidth, screenHeight, controls.startDisplay);
    const std::string windowError = windowMade ? "" : windowSystemError();
    if (!finishStartUp(*game, loads, true)) {
        closeWindow();
        stopAudio();
        stopWindowSystem();
        return 1;
    }
    // A recorded session needs its seed written down, so it is chosen here when the command line gave none.
    if (options.seedGiven || !recordFile.empty()) {
        const uint32_t seed = options.seedGiven ? options.seed : static_cast<uint32_t>(std::time(nullptr));
        std::srand(seed);
        std::string reason;
        if (!recordFile.empty() && !startRecording(controls.recording, recordFile, seed, options, reason)) {
            std::fprintf(stderr, "quorvath: --record: %s\n", reason.c_str());
            shutDown(*game);
            return 1;
        }
    }
    for (const auto& [id, value] : options.storyFlags) setStoryFlag(*game, id, value);
    if (options.startScreen >= 0 && !startAnywhere(*game, options.startScreen, options.startX, options.startY)) {
        shutDown(*game);
        return 1;
    }
    applySettings(*game, controls);
    // The player's language: a catalogue that cannot be read is reported and the texts stay as written.
    std::vector<CatalogueProblem> catalogueProblems;
    controls.catalogues = place.catalogues;
    chooseLanguage(*game, chosenLanguage(options.language, controls.settings.language), place.catalogues,
                   catalogueProblems);
    for (const CatalogueProblem& problem : catalogueProblems)
        std::fprintf(stderr, "%s:%d: warning: %s\n", problem.file.c_str(), problem.line, problem.text.c_str());
    if (!windowMade) {
        std::fprintf(stderr, "quorvath: cannot open the window: %s\n", windowError.c_str());
        shutDown(*game);
        return 1;
    }
    if (!place.iconFile.empty()) setWindowIcon(decodePictureFile(place.iconFile.string()));
    showWindow();
    if (!worldErrors.empty()) showMessageBox(worldErrors, "Quorvath");
    if (controls.testPlay) rememberWorldRead(controls.watch);
    game->stillFrame.worldWatched = controls.testPlay;
    if (!options.replay.empty()) {
        controls.replay.script = std::move(replay.script);
        controls.replay.fast = options.replayFast;
        std::string problem;
        if (!beginReplay(*game, controls.replay, problem)) {
            std::fprintf(stderr, "quorvath: --replay: %s\n", problem.c_str());
            endReplay(controls.replay);
            shutDown(*game);
            return 1;
        }
    }
    runMessageLoop(*game, controls);
    writeFrameTimes(controls.frameTimes);
    finishRecording(controls.recording, *game);
    rememberSettings(controls, {windowFullscreen(), windowedScale(), controls.settings.display.scaling});
    shutDown(*game);
    // The replay's saved games go with it; the player's own was never written.
    endReplay(controls.replay);
    return controls.startFailed ? 1 : 0;
}
