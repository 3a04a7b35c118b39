// The map file read a screen at a time: where each screen stands in the file, found by reading the file only as
// far as the screens asked for, kept while the file is unchanged. A door parses its one screen, the title reads
// the file no further than the screens it looks ahead at, and nothing of the parsed file is kept, so a world of
// thousands of screens costs no more to start, hold or walk through than a small one. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "data/xml_access.h"

// Runs the loader's body on screen `screen` of the map file, parsed alone, inside the guarded region (a COM error
// shows its box and gives 0) and sets result; false when the screen cannot be had that way (a file in another
// encoding, changed a moment ago or not well-formed as a whole, a screen it lacks), and the caller then loads it
// from the whole file, which reports what is wrong as it always did.
bool runOnMapScreen(int32_t screen, const std::function<int32_t(const XmlNode& element)>& body, int32_t& result);
// The map picture screen `screen` names, read quietly from its own element (empty for a screen the file does not
// have); false when the file cannot be read a screen at a time.
bool mapScreenPicture(int32_t screen, std::string& picture);
