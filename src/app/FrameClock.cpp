#include "app/FrameClock.h"

double FrameClock::tick(double now) {
    const double measured = now - last_;
    last_ = now;
    const bool spansWholeFrame = started_ && !paused_;
    const bool stalled = hasWholeFrame_ && measured > kStallSeconds && measured > kStallRatio * wholeFrame_;
    double step = measured;
    if ((paused_ || stalled) && hasWholeFrame_)
        step = wholeFrame_;
    else if (spansWholeFrame && !stalled) {
        wholeFrame_ = measured;
        hasWholeFrame_ = true;
    }
    started_ = true;
    paused_ = false;
    return step;
}
