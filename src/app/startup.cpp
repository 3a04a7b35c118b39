// Start-up and shut-down of the game, the window's message handling and the 80 ms frame clock.
#include "app/startup.h"

int runGame() {
    return 0;
}
