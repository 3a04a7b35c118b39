#include "core/still_frame.h"

void forgetStillFrame(StillFrame& still) {
    still.proven = false;
    still.frameUnchanged = false;
}
