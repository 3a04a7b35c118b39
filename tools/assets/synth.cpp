// The synthesizer: every voice is computed sample by sample with fixed seeds, so a song renders the same bytes
// on every run.
#include "synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

double frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

// The band-limiting correction of a step at phase t (polyBLEP), for saw and pulse waves.
double blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double saw(double phase, double dt) {
    return 2.0 * phase - 1.0 - blep(phase, dt);
}

double pulse(double phase, double dt, double width) {
    double shifted = phase + (1.0 - width);
    shifted -= std::floor(shifted);
    return (phase < width ? 1.0 : -1.0) + blep(phase, dt) - blep(shifted, dt);
}

double triangle(double phase) {
    return 4.0 * std::fabs(phase - 0.5) - 1.0;
}

struct Envelope {
    double attack, decay, sustain, release;
};

// Level of an envelope at time t for a note held `held` seconds.
double level(const Envelope& e, double t, double held) {
    auto sustained = [&](double at) {
        if (at < e.attack) return at / e.attack;
        const double d = at - e.attack;
        if (d < e.decay) return 1.0 - (1.0 - e.sustain) * d / e.decay;
        return e.sustain;
    };
    if (t < held) return sustained(t);
    const double r = t - held;
    if (r >= e.release) return 0.0;
    return sustained(held) * (1.0 - r / e.release) * (1.0 - r / e.release);
}

Envelope envelopeOf(Instrument instrument) {
    switch (instrument) {
    case Instrument::lead: return {0.01, 0.12, 0.65, 0.12};
    case Instrument::softLead: return {0.03, 0.2, 0.7, 0.25};
    case Instrument::pluck: return {0.002, 0.25, 0.0, 0.15};
    case Instrument::bell: return {0.002, 1.2, 0.0, 0.8};
    case Instrument::pad: return {0.45, 0.6, 0.75, 0.9};
    case Instrument::bass: return {0.005, 0.15, 0.7, 0.06};
    case Instrument::organ: return {0.02, 0.1, 0.9, 0.12};
    case Instrument::brass: return {0.04, 0.2, 0.7, 0.15};
    case Instrument::strings: return {0.25, 0.4, 0.85, 0.6};
    case Instrument::choir: return {0.6, 0.5, 0.85, 1.2};
    }
    return {0.01, 0.1, 0.7, 0.1};
}

struct NoiseSource {
    uint32_t state;
};

double noise(NoiseSource& source) {
    source.state ^= source.state << 13;
    source.state ^= source.state >> 17;
    source.state ^= source.state << 5;
    return static_cast<double>(source.state) / 2147483648.0 - 1.0;
}

void add(LoopBuffer& buffer, long index, double value) {
    const long n = static_cast<long>(buffer.samples.size());
    if (n == 0) return;
    long at = index % n;
    if (at < 0) at += n;
    buffer.samples[static_cast<size_t>(at)] += static_cast<float>(value);
}

}  // namespace

LoopBuffer makeLoopBuffer(double seconds) {
    LoopBuffer buffer;
    buffer.samples.assign(static_cast<size_t>(std::lround(seconds * sampleRate)), 0.0f);
    return buffer;
}

void addNote(LoopBuffer& buffer, Instrument instrument, double start, double length, int midi, double velocity) {
    const Envelope e = envelopeOf(instrument);
    const double f = frequency(midi);
    const double dt = f / sampleRate;
    const long first = std::lround(start * sampleRate);
    const long count = static_cast<long>((length + e.release) * sampleRate);
    double p1 = 0, p2 = 0.37, p3 = 0.71, modulator = 0;
    double filtered = 0, filtered2 = 0;
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        const double env = level(e, t, length);
        double s = 0;
        switch (instrument) {
        case Instrument::lead: {
            const double vibrato = 1.0 + 0.004 * std::sin(twoPi * 5.5 * t) * std::min(1.0, t * 3);
            p1 += dt * vibrato;
            p1 -= std::floor(p1);
            s = 0.5 * pulse(p1, dt, 0.25);
            filtered += 0.35 * (s - filtered);
            s = filtered;
            break;
        }
        case Instrument::softLead: {
            const double vibrato = 1.0 + 0.005 * std::sin(twoPi * 5.0 * t) * std::min(1.0, t * 2);
            p1 += dt * vibrato;
            p1 -= std::floor(p1);
            s = 0.6 * triangle(p1) + 0.3 * std::sin(twoPi * p1 * 2);
            break;
        }
        case Instrument::pluck: {
            p1 += dt;
            p1 -= std::floor(p1);
            const double cutoff = 0.05 + 0.5 * std::exp(-t * 14);
            filtered += cutoff * (saw(p1, dt) - filtered);
            s = 0.8 * filtered;
            break;
        }
        case Instrument::bell: {
            modulator += dt * 3.5;
            modulator -= std::floor(modulator);
            p1 += dt;
            p1 -= std::floor(p1);
            const double index = 2.2 * std::exp(-t * 3);
            s = 0.55 * std::sin(twoPi * p1 + index * std::sin(twoPi * modulator));
            break;
        }
        case Instrument::pad:
        case Instrument::strings: {
            const double detune = instrument == Instrument::pad ? 0.006 : 0.004;
            p1 += dt * (1 + detune);
            p2 += dt * (1 - detune);
            p3 += dt * 0.5;
            p1 -= std::floor(p1);
            p2 -= std::floor(p2);
            p3 -= std::floor(p3);
            const double raw = saw(p1, dt) + saw(p2, dt) +
                               (instrument == Instrument::pad ? 0.5 * saw(p3, dt * 0.5) : 0);
            const double cutoff = instrument == Instrument::pad ? 0.045 : 0.09;
            filtered += cutoff * (raw - filtered);
            filtered2 += cutoff * (filtered - filtered2);
            s = 0.28 * filtered2;
            break;
        }
        case Instrument::bass: {
            p1 += dt;
            p1 -= std::floor(p1);
            const double raw = 0.7 * triangle(p1) + 0.35 * pulse(p1, dt, 0.5);
            filtered += 0.12 * (raw - filtered);
            s = 0.9 * filtered;
            break;
        }
        case Instrument::organ: {
            p1 += dt;
            p1 -= std::floor(p1);
            s = 0.4 * std::sin(twoPi * p1) + 0.2 * std::sin(twoPi * p1 * 2) + 0.12 * std::sin(twoPi * p1 * 3) +
                0.06 * std::sin(twoPi * p1 * 4);
            break;
        }
        case Instrument::brass: {
            p1 += dt * (1.0 + 0.003 * std::sin(twoPi * 5 * t));
            p1 -= std::floor(p1);
            const double cutoff = 0.04 + 0.18 * std::min(1.0, t / 0.08) * (0.6 + 0.4 * std::exp(-t * 4));
            filtered += cutoff * (saw(p1, dt) - filtered);
            s = 0.55 * filtered;
            break;
        }
        case Instrument::choir: {
            const double vibrato = 1.0 + 0.006 * std::sin(twoPi * 4.5 * t);
            p1 += dt * vibrato;
            p2 += dt * 1.003;
            p1 -= std::floor(p1);
            p2 -= std::floor(p2);
            s = 0.3 * std::sin(twoPi * p1) + 0.2 * std::sin(twoPi * p2) + 0.1 * std::sin(twoPi * p1 * 2) +
                0.08 * std::sin(twoPi * p1 * 3);
            break;
        }
        }
        add(buffer, first + i, s * env * velocity);
    }
}

void addDrum(LoopBuffer& buffer, Drum drum, double start, double velocity) {
    const long first = std::lround(start * sampleRate);
    NoiseSource source{static_cast<uint32_t>(first * 2654435761u) | 1u};
    double lengthSeconds = 0.3;
    switch (drum) {
    case Drum::kick: lengthSeconds = 0.45; break;
    case Drum::snare: lengthSeconds = 0.3; break;
    case Drum::hat: lengthSeconds = 0.06; break;
    case Drum::openHat: lengthSeconds = 0.25; break;
    case Drum::tom: lengthSeconds = 0.4; break;
    case Drum::crash: lengthSeconds = 1.6; break;
    case Drum::shaker: lengthSeconds = 0.08; break;
    }
    const long count = static_cast<long>(lengthSeconds * sampleRate);
    double phase = 0, previous = 0, band = 0;
    for (long i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double s = 0;
        switch (drum) {
        case Drum::kick: {
            const double f = 45 + 110 * std::exp(-t * 30);
            phase += f / sampleRate;
            s = std::sin(twoPi * phase) * std::exp(-t * 7) * 0.95;
            if (i < 60) s += 0.3 * noise(source) * (1 - i / 60.0);
            break;
        }
        case Drum::snare: {
            phase += 185.0 / sampleRate;
            const double n = noise(source);
            const double high = n - previous;
            previous = n;
            s = 0.35 * std::sin(twoPi * phase) * std::exp(-t * 25) + 0.45 * (0.5 * n + 0.5 * high) * std::exp(-t * 16);
            break;
        }
        case Drum::hat:
        case Drum::openHat:
        case Drum::shaker: {
            const double n = noise(source);
            const double high = n - previous;
            previous = n;
            const double decay = drum == Drum::hat ? 70 : (drum == Drum::openHat ? 14 : 40);
            s = (drum == Drum::shaker ? 0.18 : 0.25) * high * std::exp(-t * decay);
            if (drum == Drum::shaker) s *= std::min(1.0, t / 0.015);
            break;
        }
        case Drum::tom: {
            const double f = 85 + 60 * std::exp(-t * 12);
            phase += f / sampleRate;
            s = 0.7 * std::sin(twoPi * phase) * std::exp(-t * 8);
            break;
        }
        case Drum::crash: {
            const double n = noise(source);
            band += 0.5 * ((n - previous) - band);
            previous = n;
            s = 0.22 * band * std::exp(-t * 2.5);
            break;
        }
        }
        add(buffer, first + i, s * velocity);
    }
}

void addEcho(LoopBuffer& buffer, double delaySeconds, double feedback, double wet) {
    const size_t n = buffer.samples.size();
    const size_t delay = static_cast<size_t>(std::lround(delaySeconds * sampleRate));
    if (n == 0 || delay == 0 || delay >= n) return;
    // Two turns around the loop: the second starts with the echoes the first left, so the tail wraps.
    std::vector<float> line(n, 0.0f);
    for (int turn = 0; turn < 2; ++turn) {
        for (size_t i = 0; i < n; ++i) {
            const size_t from = (i + n - delay) % n;
            line[i] = static_cast<float>(buffer.samples[from] * wet + line[from] * feedback);
        }
    }
    for (size_t i = 0; i < n; ++i) buffer.samples[i] += line[i];
}

std::string wavBytes(const LoopBuffer& buffer, double loudest) {
    float peak = 0.0001f;
    for (float s : buffer.samples) peak = std::max(peak, std::fabs(s));
    const double gain = loudest / peak;
    const uint32_t dataSize = static_cast<uint32_t>(buffer.samples.size() * 2);
    std::string bytes;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    auto put16 = [&](uint16_t v) {
        bytes += static_cast<char>(v & 0xff);
        bytes += static_cast<char>(v >> 8);
    };
    bytes += "RIFF";
    put32(36 + dataSize);
    bytes += "WAVEfmt ";
    put32(16);
    put16(1);
    put16(1);
    put32(sampleRate);
    put32(sampleRate * 2);
    put16(2);
    put16(16);
    bytes += "data";
    put32(dataSize);
    for (float s : buffer.samples) {
        const long value = std::lround(std::clamp(s * gain, -1.0, 1.0) * 32767.0);
        put16(static_cast<uint16_t>(static_cast<int16_t>(value)));
    }
    return bytes;
}
