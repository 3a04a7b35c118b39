// Placeholder until the unit is built.
#include "platform/files.h"

std::string resolveGamePath(const std::string& gamePath) { return gamePath; }
bool readWholeFile(const std::string&, std::string&) { return false; }
