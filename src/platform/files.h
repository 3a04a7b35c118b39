// File paths as the game and its data spell them: "media\\BigMapData.xml" becomes media/BigMapData.xml,
// relative to the working directory, with a case-insensitive fall-back for worlds written on other systems;
// whole-file reads, and the atomic replacement of a file that the save file is written with.
#pragma once

#include <string>

// The path to open for a game path: backslashes become slashes; where the exact name is missing, a unique
// case-insensitive match in each folder is taken. Returns the converted path unchanged when nothing matches.
std::string resolveGamePath(const std::string& gamePath);
// Reads a whole file named the game's way (or already resolved); false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes);
// Replaces the file at path (already resolved) atomically: the bytes go to PATH.tmp, are flushed to disk and
// renamed over PATH; the file replaced is kept as PATH.bak. Returns 0, or the system's error number (errno)
// of the step that failed, with PATH as it was and no PATH.tmp left behind.
int writeFileAtomically(const std::string& path, const std::string& bytes);
