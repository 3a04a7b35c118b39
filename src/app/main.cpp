// The game's entry point: no arguments, no options; runs in the world folder it is started from.
#include "app/startup.h"

int main() {
    return runGame();
}
