#pragma once
// The campfire's emitter: bursts of ten flames from a ring around the fire,
// drawn in towards the centre as they rise, and single smoke puffs above
// them. Spawning is paced by two program-wide timers, so a slow frame makes
// at most one burst and one puff instead of a flood. No GL call here.

#include "effects/Particles.h"

#include <glm/vec3.hpp>

namespace rtr::Fire {

class Emitter : public Particles::Emitter {
public:
    Emitter(Particles::System* system, const glm::vec3& position, Particles::Group* flames,
            Particles::Group* smoke);

    void update(float dt) override;

    glm::vec3 position;
    Particles::Group* flames;
    Particles::Group* smoke;

    // Shared by every fire emitter: each instance's update advances both.
    // A puff when smokeTimer passes 1.25, a burst when flameTimer passes 1.5.
    static float smokeTimer;
    static float flameTimer;
};

} // namespace rtr::Fire
