// Decoded pictures kept for reuse while their file is unchanged, and a worker thread that decodes ahead the
// pictures the game is about to need (the map pictures of the screens a door leads to), so a screen change does
// not wait for a large picture to be decoded. The worker only turns files into pictures in memory; it never
// touches the game's state. A picture that is not ready when it is needed is decoded on the spot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/graphics.h"

// Loads a PNG named the game's way ("pict\\man.png"); any failure gives an empty picture. A missing or broken
// file is silent; a picture beyond the size limits, a path named by world data that leaves the world folder and a
// system file are named on standard error.
Picture loadPicture(const std::string& path, PathNamer namer = PathNamer::game);
// The same, but a picture decoded here is not kept (a kept one is still used): for a large picture wanted once,
// such as the ending's panorama at start-up, of which the title keeps only a part.
Picture loadPictureUnkept(const std::string& path, PathNamer namer = PathNamer::game);
// The picture of a file (a path as the file system names it, resolved already): the kept one when the file is
// unchanged, the one the worker is decoding (waited for), else decoded now. A file that cannot be decoded gives
// an empty picture, as before, and is not kept; one refused for its size is named on standard error.
Picture keptOrDecodedPicture(const std::string& path);
// Starts the worker that decodes ahead; the game's start-up does this.
void startPictureWorker();
// Stops the worker (waiting for a decode in progress) and drops every kept picture; the game's shut-down does
// this. Safe to call when the worker is not running.
void stopPictureWorker();
bool pictureWorkerRunning();
// The pictures to have ready next, most wanted first, named by the world's data ("pict\\map06.png"; a path that
// leaves the world folder is passed over without a word, since loading it says why). Replaces the earlier
// wishes; pictures kept for earlier wishes may be dropped to make room. Ignored while the worker is not running.
void prefetchPictures(const std::vector<std::string>& gamePaths);
// Waits until the worker has nothing left to decode, or at most maxMillis when that is not negative; true when
// it has nothing left (for tests and benchmarks).
bool waitForPrefetch(int32_t maxMillis);
// How many pictures are kept now, and the bytes their pixels take.
std::size_t keptPictureCount();
int64_t keptPictureBytes();
// The most bytes the kept pictures' pixels may take (64 MB unless changed: one picture of the largest size, or a
// screen of a usual world and the four or five its doors lead to); a picture kept beyond it drops others. Setting it
// (for tests and benchmarks) drops what is over the new bound; returns the bound it replaces.
int64_t setKeptPictureByteLimit(int64_t bytes);
