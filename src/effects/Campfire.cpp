#include "effects/Campfire.h"

#include "audio/AudioSystem.h"
#include "effects/EffectTexture.h"
#include "render/GLDebug.h"
#include "render/StartupProfile.h"
#include "render/UniformBlocks.h"

#include <algorithm>
#include <cmath>

namespace {

const glm::vec3 kLightRaise{0.0f, 4.0f, 0.0f};
const glm::vec3 kHazeRaise{0.0f, 3.0f, 0.0f};
const glm::vec3 kLightColour{0.75f, 0.15f, 0.0f};
constexpr float kLightIntensity = 10.0f;
constexpr float kSway = 5.0f;
constexpr float kFlickerSpeed = 25.0f; // intensity change per second, at most
constexpr float kFlickerLow = 9.0f, kFlickerHigh = 13.0f;

void setUpFlames(rtr::Particles::Group& flames, GLuint texture) {
    flames.texture = texture;
    flames.frameColumns = 4;
    flames.frameRows = 4;
    flames.frameRate = 20.0f;
    flames.startColor = {0.15f, 0.1f, 0.05f, 1.0f};
    flames.endColor = {0.75f, 0.3f, 0.3f, 0.0f};
    flames.lifetime = 1.5f;
    flames.blendSrc = GL_SRC_ALPHA; // additive: overlapping flames brighten
    flames.blendDst = GL_ONE;
}

void setUpSmoke(rtr::Particles::Group& smoke, GLuint texture) {
    smoke.texture = texture;
    smoke.startColor = {0.3f, 0.3f, 0.3f, 0.8f};
    smoke.endColor = {0.4f, 0.4f, 0.4f, 0.0f};
    smoke.lifetime = 2.5f;
}

} // namespace

float Campfire::flicker = kLightIntensity;

Campfire::Campfire(const glm::vec3& position) {
    rtr::StartupTimer timer(rtr::StartupPhase::Effects);
    maskProgram = std::make_unique<ShaderProgram>("../Shader/particlesMask.vert", "../Shader/particlesMask.geom",
                                                  "../Shader/particlesMask.frag");
    setUpPrograms();

    bool fireLoaded = false, smokeLoaded = false;
    fireTexture = rtr::loadEffectTexture("../Textures/fire.png", "Failed to load fire texture", &fireLoaded);
    rtr::labelObject(GL_TEXTURE, fireTexture.get(), "flames");
    smokeTexture = rtr::loadEffectTexture("../Textures/smoke.png", "Failed to load smoke texture", &smokeLoaded);
    rtr::labelObject(GL_TEXTURE, smokeTexture.get(), "smoke");

    // A group whose image is missing keeps its particles (the light still
    // follows the flames) but is not drawn.
    particles = std::make_unique<rtr::Particles::System>();
    flames = particles->addGroup(); // drawn first
    setUpFlames(*flames, fireLoaded ? fireTexture.get() : 0);
    smoke = particles->addGroup();
    setUpSmoke(*smoke, smokeLoaded ? smokeTexture.get() : 0);
    emitter = std::make_unique<rtr::Fire::Emitter>(particles.get(), position, flames, smoke);

    haze = std::make_unique<HeatHaze>(position + kHazeRaise);
    lightBase = position + kLightRaise;
    light = std::make_unique<PointLight>(lightBase, kLightColour, kLightIntensity);

    // The crackling loops at the fire for the whole run (made mono if need
    // be, or it would not be placed); the audio system owns the source. A
    // silent demo, or a sound that failed to load (the audio system has said
    // why), simply has none.
    ALuint* crackling = nullptr;
    {
        rtr::StartupTimer soundTimer(rtr::StartupPhase::Sound);
        crackling = audio().createSource(kCracklingFile, SoundPlacement::World);
    }
    if (crackling != nullptr) {
        alSourcei(*crackling, AL_LOOPING, AL_TRUE);
        alSourcefv(*crackling, AL_POSITION, &position.x);
        alSourcePlay(*crackling);
    }
}

void Campfire::setUpPrograms() {
    rtr::blocks::bindProgramBlock(maskProgram->program, rtr::blocks::kMatrices);
    rtr::blocks::bindProgramBlock(maskProgram->program, rtr::blocks::kParticle);
    rtr::setSamplerUnits(*maskProgram, {{"spriteSheet", 0}});
}

void Campfire::reloadPrograms(rtr::ProgramReload& reload) {
    particles->reloadPrograms(reload);
    reload(*maskProgram);
    setUpPrograms();
    haze->reloadPrograms(reload);
}

Campfire::~Campfire() {
    fireTexture.reset();
    smokeTexture.reset();
    emitter.reset();
    particles.reset();
    haze.reset();
    maskProgram.reset();
    light.reset();
}

void Campfire::update(float dt) {
    // The flames are born in bursts a fraction of a second apart and rise as
    // they age. Advanced by a whole slow frame at once (a second a frame on a
    // software rasteriser), a frame would see one burst, already a second
    // old and high above the logs; in steps no longer than a 30 fps frame
    // the fire looks the same at any frame rate. A stall longer than any
    // particle lives only needs its last seconds played.
    constexpr float kLongestStep = 1.0f / 30.0f, kLongestCatchUp = 3.0f;
    for (float left = std::min(dt, kLongestCatchUp); left > 0.0f;) {
        const float step = left <= kLongestStep ? left : kLongestStep;
        particles->update(step);
        left = left <= kLongestStep ? 0.0f : left - kLongestStep;
    }
    haze->time = HeatHaze::nextPhase(haze->time, dt);
    followFlames(*light, lightBase, *flames);
    light->intensity = nextFlicker(dt);
}

void Campfire::followFlames(PointLight& light, const glm::vec3& lightBase, const rtr::Particles::Group& flames) {
    // Before the first burst the centre would be 0 / 0.
    if (flames.count == 0) {
        light.position = lightBase;
        return;
    }
    float sumX = 0.0f, sumZ = 0.0f;
    for (std::uint32_t i = 0; i < flames.count; ++i) {
        sumX += flames.vertices[i].position.x;
        sumZ += flames.vertices[i].position.z;
    }
    const auto live = static_cast<float>(flames.count);
    const float centreX = sumX / live, centreZ = sumZ / live;
    light.position = {lightBase.x + (centreX - lightBase.x) * kSway, lightBase.y,
                      lightBase.z + (centreZ - lightBase.z) * kSway};
}

float Campfire::nextFlicker(float dt) {
    float value = flicker + rtr::Particles::randomRange(-kFlickerSpeed, kFlickerSpeed) * dt;
    // Written so that a NaN lands on the low bound too.
    if (!(value > kFlickerLow))
        value = kFlickerLow;
    else if (!(value < kFlickerHigh))
        value = kFlickerHigh;
    flicker = value;
    return value;
}

void Campfire::drawMask() {
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glGetError();
    glUseProgram(maskProgram->program);
    // destination alpha x mask alpha
    smoke->blendSrc = GL_DST_ALPHA;
    smoke->blendDst = GL_ZERO;
    particles->drawGroup(*smoke);
    smoke->blendSrc = GL_SRC_ALPHA;
    smoke->blendDst = GL_ONE_MINUS_SRC_ALPHA;
    glDisable(GL_BLEND);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
}
