#pragma once
// The two sounds of the night: the campfire's crackling (mono, placed at
// the fire by the program) and the background music (stereo). Each is one
// period of a loop.

#include <cstdint>

#include "Audio.h"

namespace assetgen::audio {

Signal crackling(float seconds, std::uint32_t seed);

// Interleaved stereo.
Signal nightMusic(std::uint32_t seed);

} // namespace assetgen::audio
