// Placeholder until the unit is built.
#include "platform/audio.h"

bool startAudio(bool) { return true; }
void stopAudio() {}
bool audioSilent() { return true; }
Song openSong(const std::string&) { return {}; }
int32_t songLengthMillis(const Song&) { return -1; }
void mixerPlay(const Song&, int32_t, int32_t) {}
void mixerHalt(const Song&) {}
bool mixerPlaying(const Song&) { return false; }
int32_t mixerPosition(const Song&) { return -1; }
