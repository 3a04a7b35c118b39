// A small synthesizer: oscillators with envelopes for a handful of instruments, drums from noise, an echo, all
// rendered into a looping buffer so that whatever rings past the end of a song sounds again at its start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Instrument { lead, softLead, pluck, bell, pad, bass, organ, brass, strings, choir };
enum class Drum { kick, snare, hat, openHat, tom, crash, shaker };

constexpr int sampleRate = 44100;

// One looping mono mix; positions wrap around its length.
struct LoopBuffer {
    std::vector<float> samples;
};

LoopBuffer makeLoopBuffer(double seconds);
// A pitched note: start and held length in seconds, MIDI note number, loudness 0-1.
void addNote(LoopBuffer& buffer, Instrument instrument, double start, double length, int midi, double velocity);
void addDrum(LoopBuffer& buffer, Drum drum, double start, double velocity);
// A feedback echo that runs around the loop, so the loop's end feeds its start.
void addEcho(LoopBuffer& buffer, double delaySeconds, double feedback, double wet);
// 16-bit mono WAV bytes of the buffer, scaled so that its loudest sample sits at `peak` of full scale (just under
// it unless told).
std::string wavBytes(const LoopBuffer& buffer, double peak = 0.89);
