// File paths as the game and its data spell them: "media\\BigMapData.xml" becomes media/BigMapData.xml,
// relative to the working directory (the world folder), with a case-insensitive fall-back for worlds written on
// other systems; paths named by world data kept inside the world folder; whole-file reads that never touch the
// system's own files, and the atomic replacement of a file that the save file is written with.
#pragma once

#include <string>

// Who names a path. The game's own names (its six data files, fixed pictures and tracks, the save file wherever
// it is kept) are opened as they are; a path written inside the world's data (a screen's, an NPC's or a boss's
// picture) must stay inside the world folder.
enum class PathNamer { game, worldData };

// The path to open for a game path: backslashes become slashes; where the exact name is missing, a unique
// case-insensitive match in each folder is taken. Returns the converted path unchanged when nothing matches.
// A path named by world data is first made plain ("a/../b" is "b"); one that leaves the world folder gives an
// empty path, and standard error says which and why.
std::string resolveGamePath(const std::string& gamePath, PathNamer namer = PathNamer::game);
// The path as it is spelled, with slashes; a path named by world data also made plain ("a/../b" is "b"). This is
// the path opened when the exact name exists.
std::string spelledPath(const std::string& gamePath, PathNamer namer);
// Why a path written in world data may not be opened, or empty when it may: it is absolute (also a drive letter
// or a network name) or its ".." steps climb above the world folder.
std::string worldPathProblem(const std::string& gamePath);
// Why the file at a resolved path may not be read: it is missing, its name is longer than the file system takes,
// it is not a regular file (a folder, a pipe, a device), or it lies under /proc, /sys or /dev, whose files look
// like files but are the system's (endless, changing as they are read, or waiting for a writer). Symbolic links
// are followed.
enum class FileProblem { none, missing, nameTooLong, notRegularFile, systemFile };
FileProblem fileProblem(const std::string& path);
// The problem in words, for messages ("the file does not exist"); empty for none.
std::string fileProblemText(FileProblem problem);
// Opens a resolved path for reading, without ever waiting on a pipe: the descriptor, or -1 when the file may not
// be read (fileProblem) or cannot be opened. A refused system file is named on standard error.
int openFileForReading(const std::string& path);
// Writes one line about a file the game refuses to standard error: "PROGRAM: FILE: WHY".
void reportRefusedFile(const std::string& path, const std::string& why);
// Reads a whole file named the game's way (or already resolved); false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& bytes);
// Replaces the file at path (already resolved) atomically: the bytes go to PATH.tmp, are flushed to disk and
// renamed over PATH; the file replaced is kept as PATH.bak. A PATH that is a symbolic link stays one: the file it
// leads to is replaced, with its .tmp and .bak beside it; a link to nothing or round in a loop, a folder and
// anything but a regular file are not written. The temporary file is always made new, never written through a
// file or link already there. Returns 0, or the system's error number (errno) of the step that failed, with PATH
// as it was and no PATH.tmp left behind; why, when given, then says what failed in words. With replaceBackup
// false the file replaced is not kept and PATH.bak stays as it is (the caller knows it the better of the two).
int writeFileAtomically(const std::string& path, const std::string& bytes, std::string* why = nullptr,
                        bool replaceBackup = true);
// Where writeFileAtomically keeps the file a write to path replaces: PATH.bak beside the file path leads to.
std::string backupPath(const std::string& path);
