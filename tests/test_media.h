// Small pictures and MP3 tracks made by the tests themselves: the sixteen fixed pictures and the nine tracks a
// start-up needs, and PNG headers declaring any size. MP3s are encoded from a generated tone with lame; tests skip
// when lame is missing.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include "core/game_state.h"
#include "music/music.h"
#include "platform/graphics.h"
#include "test_support.h"

inline std::string gamePathToFile(const std::string& gamePath) {
    std::string file = gamePath;
    for (char& c : file) {
        if (c == '\\') c = '/';
    }
    return file;
}

inline bool lameAvailable() {
    return std::system("command -v lame >/dev/null 2>&1") == 0;
}

// A 16-bit mono wave file at 44100 Hz of a 440 Hz tone lasting `millis`, loud from its first sample to its last.
inline std::string testWavBytes(int32_t millis) {
    const uint32_t rate = 44100, samples = rate * static_cast<uint32_t>(millis) / 1000, dataBytes = samples * 2;
    std::string bytes = "RIFF";
    auto put32 = [&bytes](uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&bytes](uint32_t v) {
        for (int i = 0; i < 2; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put32(36 + dataBytes);
    bytes += "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    bytes += "data";
    put32(dataBytes);
    for (uint32_t i = 0; i < samples; ++i) {
        put16(static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate))));
    }
    return bytes;
}

// The bytes of an MP3 of a 440 Hz tone lasting `millis`; empty when it cannot be made. Encoded once per length
// and process, the way the asset tool encodes the game's tracks: 44100 Hz mono at 96 kbit/s, a bit rate high
// enough for lame's info frame, which tells the decoder the encoder's delay and padding to leave out, so the
// decoded track is exactly the tone and its loop has no gap.
inline std::string testMp3Bytes(int32_t millis) {
    static std::map<int32_t, std::string> made;
    const auto known = made.find(millis);
    if (known != made.end()) return known->second;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("quorvath-mp3-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string wav = (folder / "tone.wav").string(), mp3 = (folder / "tone.mp3").string();
    writeTextFile(wav, testWavBytes(millis));
    std::string encoded;
    if (std::system(("lame --quiet -m m -b 96 --noreplaygain '" + wav + "' '" + mp3 + "'").c_str()) == 0)
        encoded = readTextFile(mp3);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    made[millis] = encoded;
    return encoded;
}

// A small opaque picture written as PNG at a game path ("pict\\man.png").
inline void writeTestPicture(const std::string& gamePath, int32_t width, int32_t height, uint32_t argb) {
    const std::filesystem::path file(gamePathToFile(gamePath));
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    Canvas canvas = createCanvas(width, height);
    fillRect(canvas, 0, 0, width, height, argb);
    saveCanvasPng(canvas, file.string());
}

// The sixteen fixed pictures, the nine tracks and an empty map file (which makes the folder a world the game
// starts in) in the working directory; false when no MP3 could be made.
inline bool writeStartUpMedia(int32_t trackMillis = 300) {
    writeTextFile("media/BigMapData.xml", "<map/>");
    for (const char* picture : fixedPictureFiles) writeTestPicture(picture, 8, 8, 0xFF336699);
    const std::string mp3 = testMp3Bytes(trackMillis);
    if (mp3.empty()) return false;
    for (const auto& track : trackFiles) writeTextFile(gamePathToFile(track[1]), mp3);
    return true;
}

inline uint32_t crc32Of(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline std::string bigEndianBytes(uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

inline std::string pngChunk(const std::string& type, const std::string& data) {
    return bigEndianBytes(static_cast<uint32_t>(data.size())) + type + data + bigEndianBytes(crc32Of(type + data));
}

// A small file whose header declares a picture of any size; its picture data is cut short, so nothing but the
// header can be read from it (a real one of 20000 x 20000 is 1.2 MB and takes 1.6 GB to decode).
inline void writeDeclaredPng(const std::string& path, uint32_t width, uint32_t height) {
    const std::string header = bigEndianBytes(width) + bigEndianBytes(height) + std::string("\x08\x02\x00\x00\x00", 5);
    writeTextFile(path, "\x89PNG\r\n\x1A\n" + pngChunk("IHDR", header) + pngChunk("IDAT", std::string("\x78\x9C", 2)) +
                            pngChunk("IEND", ""));
}
