// The words of the runner's scripts, read the same by the headless runner and by the window's replay.
#pragma once

#include <cstdint>
#include <string>

// A decimal integer with an optional sign, or 0x hexadecimal, that fits 64 signed bits.
bool parseScriptInteger(const std::string& text, int64_t& value);
// A key by the name the scripts give it (keyNames) or by its code, 0 to keyCount - 1.
bool parseScriptKey(const std::string& text, int32_t& key);
