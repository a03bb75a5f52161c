#include "app/FrameTitle.h"

#include <climits>
#include <cmath>
#include <iomanip>
#include <sstream>

namespace {

int framesPerSecond(double frameTime) {
    if (!(frameTime > 0.0))
        return 0;
    const double fps = 1.0 / frameTime;
    if (!std::isfinite(fps) || fps >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(fps);
}

} // namespace

std::string frameTitle(double frameTime, const glm::vec3& position) {
    std::ostringstream title;
    title << std::fixed << std::setprecision(2);
    title << "Thalvek, FPS: " << framesPerSecond(frameTime) << ", "
          << "Frametime: " << frameTime * 1000.0 << " ms, "
          << "Position = (" << position.x << ", " << position.y << ", " << position.z << ")"
          << std::endl;
    return title.str();
}
