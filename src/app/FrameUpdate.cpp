#include "app/FrameUpdate.h"

void updateFrame(double dt) { (void)dt; }
