#pragma once
// The night sky around the clearing, as one function of world direction:
// a dark blue gradient that lightens towards the horizon, a faint band of
// the galaxy, stars of varied brightness and tint, a gibbous moon with its
// glow, and the silhouette of distant forest below the horizon. Each cube
// face is painted texel by texel from skyDirection(), so the faces meet
// without seams.

#include <cstdint>
#include <vector>

#include <glm/vec3.hpp>

#include "Image.h"

namespace assetgen {

class NightSky {
public:
    explicit NightSky(std::uint32_t seed);

    // The face in the loader's order (west, east, down, up, south, north).
    Image paintFace(int face, int size) const;

    glm::vec3 moonDirection() const { return moon; }

private:
    struct Star {
        glm::vec3 direction;
        glm::vec3 colour;
        float brightness;
        float spread; // Gaussian radius in radians
    };

    glm::vec3 backdrop(glm::vec3 direction) const;
    float forestCover(glm::vec3 direction, float texelAngle) const;
    void addStars(Image& image, int face) const;

    std::uint32_t seed;
    glm::vec3 moon;
    glm::vec3 moonRight, moonUp, sunOnMoon;
    glm::vec3 galaxyPole, galaxyCore;
    std::vector<Star> stars;
    std::vector<float> treeline; // silhouette elevation (radians) per azimuth step
};

} // namespace assetgen
