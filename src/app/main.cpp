// The game's entry point: reads the command line once, then runs the game with what it asked for.
#include <iostream>

#include "app/command_line.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    LaunchOptions options;
    const int status = parseCommandLine(argc, argv, options, std::cout, std::cerr);
    if (status != keepRunning) return status;
    return runGame(options);
}
