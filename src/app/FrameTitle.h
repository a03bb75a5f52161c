#pragma once
// The window title written every frame: frame rate, frame time and the
// selected camera's position.

#include <glm/vec3.hpp>

#include <string>

// "Thalvek, FPS: 59, Frametime: 16.67 ms, Position = (1.00, 2.50, -3.00)\n".
// The rate is 1 / frameTime of this frame alone, truncated. A frame time of
// zero or less (a timer that did not advance) shows "FPS: 0" rather than an
// infinite rate; rates beyond an int's range show the largest int.
std::string frameTitle(double frameTime, const glm::vec3& position);
