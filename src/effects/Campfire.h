#pragma once
// The campfire: flames and smoke from one particle system fed by the fire
// emitter, an alpha mask where the smoke passes (so the distortion effects
// can tell smoke from scene), the heat haze above, an orange point light
// that sways with the flames' centre and flickers, and a looping crackling
// sound placed at the fire. The light's
// motion is plain arithmetic on the flames' pool, so it is tested without
// a context.

#include "effects/FireEmitter.h"
#include "effects/HeatHaze.h"
#include "effects/Particles.h"
#include "render/GLObjects.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"

#include <glm/vec3.hpp>

#include <memory>

class Campfire {
public:
    // The crackling's sound file.
    static constexpr const char* kCracklingFile = "../SFX/crackling.ogg";

    // The fire burns at `position`; its light rests 4 units above it. Starts
    // the crackling (the audio system's first use opens the device).
    explicit Campfire(const glm::vec3& position);
    // Releases the two sprite textures, the emitter, the particle system,
    // the haze, the mask program, then the light.
    ~Campfire();
    Campfire(const Campfire&) = delete;
    Campfire& operator=(const Campfire&) = delete;

    // Once per frame: particles (in steps of at most 1/30 s), haze phase,
    // light position and flicker.
    void update(float dt);
    // Multiplies the alpha of the bound colour target by the smoke mask
    // wherever smoke sprites cover it; colour stays untouched.
    void drawMask();

    // Rebuilds the mask, particle and haze programs from their files and
    // sets them up again.
    void reloadPrograms(rtr::ProgramReload& reload);

    // The light sways five times as far from its resting place as the
    // flames' centre lies from it, at the resting height; with no flame
    // alive it rests.
    static void followFlames(PointLight& light, const glm::vec3& lightBase, const rtr::Particles::Group& flames);
    // The flicker's random walk over dt, kept within [9, 13]; returns the
    // new intensity.
    static float nextFlicker(float dt);

    rtr::gl::TextureName fireTexture;
    rtr::gl::TextureName smokeTexture;
    std::unique_ptr<rtr::Particles::System> particles;
    rtr::Particles::Group* smoke = nullptr;
    rtr::Particles::Group* flames = nullptr;
    std::unique_ptr<rtr::Fire::Emitter> emitter;
    std::unique_ptr<HeatHaze> haze;
    std::unique_ptr<ShaderProgram> maskProgram;
    std::unique_ptr<PointLight> light;
    glm::vec3 lightBase;

    // The light's intensity as it wanders; one for the whole program.
    static float flicker;

private:
    // The mask program's blocks, after each link.
    void setUpPrograms();
};
