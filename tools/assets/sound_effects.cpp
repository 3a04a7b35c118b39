// Each effect is a few glides of simple waves and filtered noise with short envelopes, written as 16-bit mono WAV
// that SDL_mixer reads without a decoder of its own.
#include "sound_effects.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/sound_effects.h"
#include "paint.h"
#include "synth.h"

namespace {

constexpr double twoPi = 6.283185307179586;

enum class Wave { sine, square, triangle, saw };

// One effect being made: its samples, long enough for all its parts.
struct Effect {
    std::vector<float> samples;
    uint32_t noise = 0x2545F491u;  // fixed seed: the same bytes on every run
};

double waveAt(Wave wave, double phase) {
    switch (wave) {
    case Wave::sine: return std::sin(twoPi * phase);
    case Wave::square: return phase < 0.5 ? 0.6 : -0.6;
    case Wave::triangle: return 4.0 * std::fabs(phase - 0.5) - 1.0;
    case Wave::saw: return (2.0 * phase - 1.0) * 0.7;
    }
    return 0.0;
}

// The loudness at t of a part `length` long: a quick rise, then a fall to silence at its end.
double envelope(double t, double length, double attack) {
    if (t < attack) return t / attack;
    const double left = 1.0 - (t - attack) / std::max(length - attack, 1e-6);
    return left * left;
}

void grow(Effect& effect, double end) {
    const size_t needed = static_cast<size_t>(std::ceil(end * sampleRate)) + 1;
    if (effect.samples.size() < needed) effect.samples.resize(needed, 0.0f);
}

// A tone gliding from one pitch to another (exponentially, as the ear hears pitch), with an optional wobble.
void tone(Effect& effect, Wave wave, double start, double length, double from, double to, double volume,
          double attack = 0.005, double wobble = 0.0) {
    grow(effect, start + length);
    double phase = 0.0;
    const size_t first = static_cast<size_t>(start * sampleRate);
    const size_t count = static_cast<size_t>(length * sampleRate);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double frequency = from * std::pow(to / from, t / length);
        if (wobble > 0.0) frequency *= 1.0 + wobble * std::sin(twoPi * 12.0 * t);
        phase += frequency / sampleRate;
        phase -= std::floor(phase);
        effect.samples[first + i] += static_cast<float>(waveAt(wave, phase) * volume * envelope(t, length, attack));
    }
}

// Noise through a low-pass whose corner glides from one frequency to another: a whoosh, a thud, a crash.
void noise(Effect& effect, double start, double length, double from, double to, double volume, double attack = 0.003) {
    grow(effect, start + length);
    double low = 0.0;
    const size_t first = static_cast<size_t>(start * sampleRate);
    const size_t count = static_cast<size_t>(length * sampleRate);
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        effect.noise ^= effect.noise << 13;
        effect.noise ^= effect.noise >> 17;
        effect.noise ^= effect.noise << 5;
        const double white = static_cast<double>(effect.noise) / 2147483648.0 - 1.0;
        const double corner = from * std::pow(to / from, t / length);
        const double k = 1.0 - std::exp(-twoPi * corner / sampleRate);
        low += k * (white - low);
        effect.samples[first + i] += static_cast<float>(low * volume * envelope(t, length, attack));
    }
}

double note(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

Effect make(int effect) {
    Effect e;
    switch (effect) {
    case soundSwing: noise(e, 0.0, 0.16, 600.0, 4000.0, 2.5, 0.05); break;
    case soundShot:
        tone(e, Wave::square, 0.0, 0.14, 1100.0, 180.0, 0.7, 0.002);
        noise(e, 0.0, 0.08, 5000.0, 800.0, 1.5);
        break;
    case soundHit:
        noise(e, 0.0, 0.09, 3000.0, 400.0, 2.5);
        tone(e, Wave::sine, 0.0, 0.12, 180.0, 70.0, 0.9, 0.002);
        break;
    case soundHurt: tone(e, Wave::square, 0.0, 0.26, 420.0, 140.0, 0.7, 0.003, 0.06); break;
    case soundEnemyDown:
        noise(e, 0.0, 0.32, 2500.0, 150.0, 2.5);
        tone(e, Wave::triangle, 0.0, 0.3, 620.0, 90.0, 0.6, 0.002);
        break;
    case soundLevelUp:
        for (int i = 0; i < 4; ++i)
            tone(e, Wave::square, i * 0.09, 0.22, note(72 + i * 4 - (i == 3 ? 1 : 0)),
                 note(72 + i * 4 - (i == 3 ? 1 : 0)), 0.45);
        tone(e, Wave::triangle, 0.36, 0.4, note(84), note(84), 0.6);
        break;
    case soundItemUse:
        tone(e, Wave::sine, 0.0, 0.3, 600.0, 1400.0, 0.7, 0.01);
        tone(e, Wave::sine, 0.08, 0.25, 1200.0, 2400.0, 0.3, 0.01);
        break;
    case soundBuy:
        tone(e, Wave::square, 0.0, 0.08, note(83), note(83), 0.5);
        tone(e, Wave::square, 0.07, 0.3, note(88), note(88), 0.5);
        break;
    case soundSell:
        tone(e, Wave::square, 0.0, 0.08, note(88), note(88), 0.5);
        tone(e, Wave::square, 0.07, 0.08, note(83), note(83), 0.5);
        tone(e, Wave::square, 0.14, 0.25, note(88), note(88), 0.5);
        break;
    case soundSave:
        for (int i = 0; i < 3; ++i)
            tone(e, Wave::sine, i * 0.1, 0.6, note(76 + i * 3 + (i > 0 ? 1 : 0)), note(76 + i * 3 + (i > 0 ? 1 : 0)),
                 0.5, 0.004);
        break;
    case soundDoor:
        noise(e, 0.0, 0.25, 900.0, 120.0, 2.5, 0.01);
        tone(e, Wave::sine, 0.0, 0.22, 110.0, 60.0, 0.8, 0.004);
        break;
    case soundBoss:
        tone(e, Wave::saw, 0.0, 0.9, note(45), note(44), 0.6, 0.02, 0.01);
        tone(e, Wave::saw, 0.0, 0.9, note(52), note(51), 0.5, 0.02, 0.01);
        noise(e, 0.0, 0.5, 400.0, 80.0, 2.0, 0.01);
        break;
    case soundGameOver:
        for (int i = 0; i < 4; ++i) {
            const int midi = 67 - (i == 1 ? 4 : i == 2 ? 7 : i == 3 ? 12 : 0);
            tone(e, Wave::triangle, i * 0.3, i == 3 ? 1.0 : 0.4, note(midi), note(midi), 0.6, 0.01);
        }
        break;
    case soundMenuMove: tone(e, Wave::square, 0.0, 0.045, 880.0, 880.0, 0.35, 0.002); break;
    case soundMenuSelect:
        tone(e, Wave::square, 0.0, 0.05, 660.0, 660.0, 0.35, 0.002);
        tone(e, Wave::square, 0.05, 0.09, 1320.0, 1320.0, 0.35, 0.002);
        break;
    default: break;
    }
    return e;
}

}  // namespace

std::string soundEffectWav(int effect) {
    if (effect < 0 || effect >= soundEffectCount) return {};
    LoopBuffer buffer;
    buffer.samples = make(effect).samples;
    // Below the music's full scale, so an effect over a loud passage does not clip.
    return wavBytes(buffer, 0.6);
}

void makeSoundEffects(OutputPlan& plan) {
    for (int effect = 0; effect < soundEffectCount; ++effect) {
        const std::string gamePath = soundEffectFiles[static_cast<size_t>(effect)];
        if (!needsWriting(plan, gamePath)) continue;
        const std::string path = paint::outputPath(gamePath), part = path + ".part";
        const std::string bytes = soundEffectWav(effect);
        bool ok = false;
        {
            std::ofstream out(part, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            ok = static_cast<bool>(out);
        }
        std::error_code failed;
        if (ok) std::filesystem::rename(part, path, failed);
        if (!ok || failed) std::filesystem::remove(part, failed);
        noteWritten(plan, gamePath, ok && !failed);
    }
}
