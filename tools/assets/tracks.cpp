// The nine songs. Each is a short score in a key, a chord cycle, a groove and a melody grown from a fixed seed in
// phrases (a statement, its echo, an answer, a return), rendered in whole bars so the end runs into the start.
#include "tracks.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "paint.h"
#include "synth.h"

using namespace paint;

extern char** environ;

namespace {

enum class BassStyle { whole, quarters, eighths, octaves, drive };
enum class ChordStyle { pad, slowArpeggio, fastArpeggio, stabs, none };

struct Song {
    const char* file;
    uint64_t seed;
    double bpm;
    int bars;
    int root;  // MIDI number of the key's tonic in the melody's octave
    std::array<int, 7> scale;
    std::vector<int> chords;  // scale degree of each bar's chord, cycled
    Instrument lead;
    Instrument chordVoice;
    ChordStyle chordStyle;
    Instrument arpeggioVoice;
    bool arpeggio;
    BassStyle bass;
    const char* kick;
    const char* snare;
    const char* hat;
    Drum hatDrum;
    double density;  // 0 sparse .. 1 busy melody
    double echo;     // echo delay in beats, 0 for none
    bool drone;
};

constexpr std::array<int, 7> major{0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> minor{0, 2, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> harmonicMinor{0, 2, 3, 5, 7, 8, 11};
constexpr std::array<int, 7> phrygian{0, 1, 3, 5, 7, 8, 10};
constexpr std::array<int, 7> mixolydian{0, 2, 4, 5, 7, 9, 10};

const std::vector<Song>& songs() {
    static const std::vector<Song> list = {
        // One song to three lines, its fields in the order of the record.
        // clang-format off
        {"pict\\Main Title.mp3", 11, 84, 16, 62, major, {0, 4, 5, 3, 0, 4, 3, 4}, Instrument::softLead,
         Instrument::strings, ChordStyle::pad, Instrument::bell, true, BassStyle::whole,
         "x.......x.......", "................", "................", Drum::hat, 0.3, 0.75, false},
        {"pict\\文化祭.mp3", 23, 120, 24, 65, major, {0, 3, 4, 0, 5, 3, 1, 4}, Instrument::lead,
         Instrument::organ, ChordStyle::stabs, Instrument::pluck, false, BassStyle::octaves,
         "x.......x.......", "....x.......x...", "..x...x...x...x.", Drum::hat, 0.65, 0.5, false},
        {"pict\\文化祭２.mp3", 37, 138, 24, 67, mixolydian, {0, 6, 3, 0, 0, 6, 3, 4}, Instrument::pluck,
         Instrument::organ, ChordStyle::stabs, Instrument::bell, true, BassStyle::eighths,
         "x..x....x..x....", "....x.......x..x", "xxxxxxxxxxxxxxxx", Drum::shaker, 0.8, 0.75, false},
        {"pict\\cavebgm.mp3", 41, 70, 16, 57, phrygian, {0, 0, 1, 0, 5, 5, 1, 0}, Instrument::bell,
         Instrument::pad, ChordStyle::pad, Instrument::bell, false, BassStyle::whole,
         "................", "................", "................", Drum::hat, 0.15, 1.5, true},
        {"pict\\Cave Scene  Ⅱ.mp3", 53, 96, 24, 64, harmonicMinor, {0, 0, 5, 4, 0, 3, 5, 4},
         Instrument::softLead, Instrument::strings, ChordStyle::pad, Instrument::pluck, true, BassStyle::eighths,
         "x.....x.x.......", "................", "x.x.x.x.x.x.x.x.", Drum::hat, 0.4, 0.75, false},
        {"pict\\Cave Scene  Ⅲ.mp3", 67, 72, 16, 60, phrygian, {0, 1, 0, 6, 0, 1, 5, 4}, Instrument::brass,
         Instrument::choir, ChordStyle::pad, Instrument::bell, false, BassStyle::whole,
         "x.....x...x.....", "................", "........x.......", Drum::tom, 0.3, 1.0, true},
        {"pict\\Battle.mp3", 79, 168, 32, 62, minor, {0, 5, 6, 4, 0, 5, 3, 4}, Instrument::lead,
         Instrument::brass, ChordStyle::stabs, Instrument::pluck, true, BassStyle::drive,
         "x..x..x.x..x..x.", "....x.......x...", "x.x.x.x.x.x.x.x.", Drum::hat, 0.85, 0.5, false},
        {"pict\\battle2.mp3", 83, 150, 32, 70, major, {0, 3, 4, 0, 5, 3, 1, 4}, Instrument::brass,
         Instrument::strings, ChordStyle::pad, Instrument::pluck, true, BassStyle::octaves,
         "x.......x.x.....", "....x..x....x.xx", "x.x.x.x.x.x.x.x.", Drum::hat, 0.7, 0.5, false},
        {"pict\\なんとかタウン.mp3", 97, 128, 24, 69, major, {0, 5, 3, 4, 0, 5, 1, 4}, Instrument::softLead,
         Instrument::organ, ChordStyle::fastArpeggio, Instrument::pluck, false, BassStyle::quarters,
         "x...x...x...x...", "....x.......x...", "x.xxx.xxx.xxx.xx", Drum::shaker, 0.75, 0.75, false},
        // clang-format on
    };
    return list;
}

int pitchOf(const Song& song, int degree, int octaveShift) {
    const int octave = static_cast<int>(std::floor(degree / 7.0));
    const int step = degree - octave * 7;
    return song.root + 12 * (octave + octaveShift) + song.scale[static_cast<size_t>(step)];
}

struct MelodyNote {
    int step;    // start, in sixteenths from the phrase start
    int length;  // in sixteenths
    int degree;  // scale degree, or -100 for a rest
};

// A two-bar rhythm: note lengths that fill 32 sixteenths, shorter when the song is busier.
std::vector<MelodyNote> rhythm(Random& random, double density) {
    std::vector<MelodyNote> notes;
    int at = 0;
    while (at < 32) {
        int length;
        const double r = randomUnit(random);
        if (density > 0.6)
            length = r < 0.45 ? 2 : (r < 0.75 ? 4 : (r < 0.9 ? 1 : 6));
        else if (density > 0.35)
            length = r < 0.4 ? 4 : (r < 0.7 ? 2 : (r < 0.9 ? 8 : 6));
        else
            length = r < 0.4 ? 8 : (r < 0.7 ? 4 : (r < 0.9 ? 12 : 16));
        if (length == 1) length = 2 - (at % 2);  // a pair of sixteenths keeps the phrase on the grid
        length = std::min(length, 32 - at);
        notes.push_back({at, length, 0});
        at += length;
    }
    // the phrase ends on a longer note
    if (notes.size() > 2 && notes.back().length < 4) {
        const int end = notes.back().step + notes.back().length;
        notes.pop_back();
        notes.back().length = end - notes.back().step;
    }
    return notes;
}

bool isChordTone(int degree, int chordRoot) {
    const int relative = ((degree - chordRoot) % 7 + 7) % 7;
    return relative == 0 || relative == 2 || relative == 4;
}

// Pitches for a rhythm over the chords of two bars: chord tones on strong beats, steps in between.
void fillPitches(std::vector<MelodyNote>& notes, size_t from, const Song& song, int firstBar, Random& random,
                 int& previous, bool endOnTonic, double restChance) {
    for (size_t i = from; i < notes.size(); ++i) {
        MelodyNote& note = notes[i];
        const int bar = firstBar + note.step / 16;
        const int chord = song.chords[static_cast<size_t>(bar) % song.chords.size()];
        const bool strong = note.step % 8 == 0 || note.length >= 6;
        if (i > 0 && i + 1 < notes.size() && randomUnit(random) < restChance) {
            note.degree = -100;
            continue;
        }
        int best = previous;
        if (strong) {
            int candidates[3];
            int count = 0;
            for (int d = previous - 4; d <= previous + 4 && count < 3; ++d)
                if (isChordTone(d, chord)) candidates[count++] = d;
            best = count > 0 ? candidates[randomRange(random, 0, count - 1)] : previous;
        } else {
            const int moves[] = {-2, -1, -1, 1, 1, 2, 0, 3, -3};
            best = previous + moves[randomRange(random, 0, 8)];
        }
        if (best > 11) best -= 3;
        if (best < 0) best += 3;
        note.degree = best;
        previous = best;
    }
    if (endOnTonic && !notes.empty()) {
        const int chord = song.chords[static_cast<size_t>(firstBar + 1) % song.chords.size()];
        int best = notes.back().degree;
        for (int d = previous - 3; d <= previous + 3; ++d)
            if (((d - chord) % 7 + 7) % 7 == 0) best = d;
        notes.back().degree = best;
    }
}

// Eight bars of melody: statement, its echo with a new ending, an answer, and the statement again closing home.
std::vector<MelodyNote> melodySection(const Song& song, uint64_t seed, int firstBar) {
    Random random = seededRandom(seed);
    const double rests = song.density < 0.35 ? 0.3 : 0.12;
    std::vector<MelodyNote> statement = rhythm(random, song.density);
    int previous = 4;
    fillPitches(statement, 0, song, firstBar, random, previous, false, rests);
    std::vector<MelodyNote> echo = statement;
    int echoPrevious = echo.size() > 3 ? echo[echo.size() - 4].degree : 4;
    if (echoPrevious < -50) echoPrevious = 4;
    fillPitches(echo, echo.size() > 3 ? echo.size() - 3 : 0, song, firstBar + 2, random, echoPrevious, false, 0);
    std::vector<MelodyNote> answer = rhythm(random, song.density);
    int answerPrevious = 7;
    fillPitches(answer, 0, song, firstBar + 4, random, answerPrevious, false, rests);
    std::vector<MelodyNote> home = statement;
    int homePrevious = home.size() > 2 ? home[home.size() - 3].degree : 2;
    if (homePrevious < -50) homePrevious = 2;
    fillPitches(home, home.size() > 2 ? home.size() - 2 : 0, song, firstBar + 6, random, homePrevious, true, 0);
    std::vector<MelodyNote> section;
    const std::vector<MelodyNote>* parts[] = {&statement, &echo, &answer, &home};
    for (int part = 0; part < 4; ++part)
        for (MelodyNote note : *parts[part]) {
            note.step += part * 32;
            section.push_back(note);
        }
    return section;
}

LoopBuffer render(const Song& song) {
    const double beat = 60.0 / song.bpm;
    const double sixteenth = beat / 4;
    const double bar = beat * 4;
    LoopBuffer buffer = makeLoopBuffer(bar * song.bars);
    const int sections = song.bars / 8;
    Random groove = seededRandom(song.seed * 31 + 5);
    for (int section = 0; section < sections; ++section) {
        // sections alternate between two melodies; the second sits a little higher
        const bool second = section % 2 == 1;
        const std::vector<MelodyNote> melody =
            melodySection(song, song.seed * 1000 + (second ? 2 : 1) + (section >= 2 ? 7 : 0), 0);
        const double sectionStart = section * 8 * bar;
        for (const MelodyNote& note : melody) {
            if (note.degree < -50) continue;
            const double start = sectionStart + note.step * sixteenth;
            const double length = note.length * sixteenth * 0.92;
            const int shift = song.lead == Instrument::bell && second ? 1 : 0;
            addNote(buffer, song.lead, start, length, pitchOf(song, note.degree, shift), 0.55);
            if (song.lead == Instrument::brass && second) {
                addNote(buffer, Instrument::strings, start, length, pitchOf(song, note.degree, 1), 0.25);
            }
        }
    }
    for (int b = 0; b < song.bars; ++b) {
        const double barStart = b * bar;
        const int chord = song.chords[static_cast<size_t>(b) % song.chords.size()];
        const int chordRootPitch = pitchOf(song, chord, -1);
        int tones[3];
        for (int k = 0; k < 3; ++k) {
            int p = pitchOf(song, chord + 2 * k, -1);
            while (p > song.root + 2) p -= 12;
            while (p < song.root - 12) p += 12;
            tones[k] = p;
        }
        std::sort(tones, tones + 3);
        switch (song.chordStyle) {
        case ChordStyle::pad:
            for (int tone : tones) addNote(buffer, song.chordVoice, barStart, bar * 0.98, tone, 0.32);
            break;
        case ChordStyle::stabs:
            for (int s = 2; s < 16; s += 4)
                for (int tone : tones)
                    addNote(buffer, song.chordVoice, barStart + s * sixteenth, sixteenth * 1.5, tone, 0.22);
            break;
        case ChordStyle::fastArpeggio:
        case ChordStyle::slowArpeggio: break;
        case ChordStyle::none: break;
        }
        const bool fast = song.chordStyle == ChordStyle::fastArpeggio || (song.arpeggio && song.bpm < 100);
        if (song.arpeggio || song.chordStyle == ChordStyle::fastArpeggio) {
            const int order[] = {0, 1, 2, 1, 0, 2, 1, 2};
            const int stepLength = fast && song.bpm >= 100 ? 1 : 2;
            for (int s = 0, k = 0; s < 16; s += stepLength, ++k) {
                const int tone = tones[order[k % 8]] + 12;
                addNote(buffer, song.arpeggioVoice, barStart + s * sixteenth, sixteenth * stepLength * 0.8, tone,
                        song.bpm < 100 ? 0.22 : 0.16);
            }
        }
        if (song.drone) addNote(buffer, Instrument::pad, barStart, bar, song.root - 24, 0.35);
        const int bassNote = chordRootPitch - 12 >= 40 ? chordRootPitch - 24 : chordRootPitch - 12;
        switch (song.bass) {
        case BassStyle::whole: addNote(buffer, Instrument::bass, barStart, bar * 0.95, bassNote, 0.7); break;
        case BassStyle::quarters: {
            const int walk[] = {0, 7, 12, 7};
            for (int q = 0; q < 4; ++q)
                addNote(buffer, Instrument::bass, barStart + q * beat, beat * 0.8, bassNote + walk[q], 0.6);
            break;
        }
        case BassStyle::eighths:
            for (int e = 0; e < 8; ++e)
                addNote(buffer, Instrument::bass, barStart + e * beat / 2, beat * 0.4, bassNote, 0.55);
            break;
        case BassStyle::octaves:
            for (int e = 0; e < 8; ++e)
                addNote(buffer, Instrument::bass, barStart + e * beat / 2, beat * 0.4, bassNote + (e % 2) * 12, 0.55);
            break;
        case BassStyle::drive:
            for (int s = 0; s < 16; ++s)
                addNote(buffer, Instrument::bass, barStart + s * sixteenth, sixteenth * 0.7,
                        bassNote + (s % 8 == 6 ? 12 : 0), 0.5);
            break;
        }
        // drums, with a fill closing every fourth bar and a crash opening every eight
        const bool fill = b % 4 == 3 && song.snare[4] == 'x';
        for (int s = 0; s < 16; ++s) {
            const double at = barStart + s * sixteenth;
            if (song.kick[s] == 'x') addDrum(buffer, Drum::kick, at, song.drone ? 0.8 : 0.9);
            if (song.snare[s] == 'x' && !(fill && s >= 12)) addDrum(buffer, Drum::snare, at, 0.6);
            if (fill && s >= 12) addDrum(buffer, Drum::snare, at, 0.35 + 0.1 * (s - 12));
            if (song.hat[s] == 'x') addDrum(buffer, song.hatDrum, at, 0.45 + 0.25 * randomUnit(groove));
        }
        if (b % 8 == 0 && song.snare[4] == 'x') addDrum(buffer, Drum::crash, barStart, 0.6);
        if (song.bpm < 90 && b % 4 == 3 && song.kick[0] == 'x' && !song.drone) {
            addDrum(buffer, Drum::tom, barStart + 12 * sixteenth, 0.4);
            addDrum(buffer, Drum::tom, barStart + 14 * sixteenth, 0.5);
        }
    }
    if (song.echo > 0) addEcho(buffer, song.echo * beat, 0.35, 0.25);
    return buffer;
}

// Raise when the synthesizer or the way scores are played changes, so that every track is made again.
constexpr int trackRevision = 1;
const char* const stampFile = "pict/.tracks-stamp";

// A fingerprint of everything a track is made from.
std::string fingerprint(const Song& song) {
    std::string key = std::to_string(trackRevision) + "|" + song.file + "|" + std::to_string(song.seed) + "|" +
                      std::to_string(song.bpm) + "|" + std::to_string(song.bars) + "|" + std::to_string(song.root) +
                      "|";
    for (int step : song.scale) key += std::to_string(step) + ",";
    for (int chord : song.chords) key += std::to_string(chord) + ",";
    key += std::to_string(static_cast<int>(song.lead)) + std::to_string(static_cast<int>(song.chordVoice)) +
           std::to_string(static_cast<int>(song.chordStyle)) + std::to_string(static_cast<int>(song.arpeggioVoice)) +
           std::to_string(song.arpeggio) + std::to_string(static_cast<int>(song.bass)) + song.kick + song.snare +
           song.hat + std::to_string(static_cast<int>(song.hatDrum)) + std::to_string(song.density) +
           std::to_string(song.echo) + std::to_string(song.drone);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hashText(key)));
    return hex;
}

std::map<std::string, std::string> readStamps() {
    std::map<std::string, std::string> stamps;
    std::ifstream in(stampFile);
    std::string line;
    while (std::getline(in, line)) {
        const size_t blank = line.find(' ');
        if (blank != std::string::npos) stamps[line.substr(blank + 1)] = line.substr(0, blank);
    }
    return stamps;
}

void writeStamps(const std::map<std::string, std::string>& stamps) {
    std::ofstream out(stampFile, std::ios::trunc);
    for (const auto& [file, print] : stamps) out << print << ' ' << file << '\n';
}

struct Job {
    std::string wav, part, mp3, gamePath;
    pid_t pid = -1;
};

bool lameAvailable() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && access((folder + "/lame").c_str(), X_OK) == 0) return true;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return false;
}

pid_t startLame(const Job& job) {
    // Constant bit rate, mono, no replay-gain analysis: the same samples always give the same bytes.
    std::vector<std::string> words = {"lame",           "--quiet", "-m", "m",     "-b",    "96",
                                      "--noreplaygain", "-q",      "5",  job.wav, job.part};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "lame", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

bool finishLame(Job& job) {
    int status = 0;
    const bool ok = job.pid > 0 && waitpid(job.pid, &status, 0) == job.pid && WIFEXITED(status) &&
                    WEXITSTATUS(status) == 0;
    std::error_code ignored;
    std::filesystem::remove(job.wav, ignored);
    if (!ok) {
        std::filesystem::remove(job.part, ignored);
        return false;
    }
    std::filesystem::rename(job.part, job.mp3, ignored);
    return !ignored;
}

}  // namespace

void makeTracks(OutputPlan& plan) {
    std::vector<Job> waiting;
    std::map<std::string, std::string> stamps = readStamps();
    for (const Song& song : songs()) {
        std::error_code error;
        const bool present = std::filesystem::is_regular_file(outputPath(song.file), error);
        if (!plan.force && present && stamps[song.file] == fingerprint(song)) {
            ++plan.skipped;
            continue;
        }
        Job job;
        job.gamePath = song.file;
        job.mp3 = outputPath(song.file);
        job.part = job.mp3 + ".part";
        job.wav = job.mp3 + ".wav";
        waiting.push_back(job);
    }
    if (waiting.empty()) return;
    if (!lameAvailable()) {
        for (const Job& job : waiting) noteWritten(plan, job.gamePath + " (the lame encoder is not installed)", false);
        return;
    }
    // Render one song while at most two encoders run.
    std::vector<Job> running;
    size_t next = 0;
    auto reap = [&](size_t index) {
        const bool ok = finishLame(running[index]);
        noteWritten(plan, running[index].gamePath, ok);
        for (const Song& song : songs())
            if (song.file == running[index].gamePath) stamps[song.file] = ok ? fingerprint(song) : "";
        running.erase(running.begin() + static_cast<long>(index));
    };
    for (const Song& song : songs()) {
        if (next >= waiting.size() || waiting[next].gamePath != song.file) continue;
        Job job = waiting[next++];
        {
            const std::string bytes = wavBytes(render(song));
            std::ofstream out(job.wav, std::ios::binary);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out) {
                noteWritten(plan, job.gamePath, false);
                continue;
            }
        }
        if (running.size() >= 2) reap(0);
        job.pid = startLame(job);
        running.push_back(job);
    }
    while (!running.empty()) reap(0);
    writeStamps(stamps);
}
