#include "app/SceneAssembly.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "audio/AudioSystem.h"
#include "audio/VorbisFile.h"
#include "effects/Campfire.h"
#include "effects/Water.h"
#include "render/Console.h"
#include "render/FrameRenderer.h"
#include "render/GL.h"
#include "render/Level.h"
#include "render/LitVariant.h"
#include "render/OmniShadowMap.h"
#include "render/PointLight.h"
#include "render/ShaderProgram.h"
#include "render/StartupProfile.h"
#include "scene/AssimpLoader.h"
#include "scene/ImportObject.h"

#include <GLFW/glfw3.h>

#include <iostream>

namespace {

constexpr const char* kSceneFile = "../Data/ThalvekF.dae";
constexpr const char* kTextureFolder = "../Textures/new/";
constexpr const char* kMusicFile = "../SFX/music.ogg";
// The fire sits a little off the centre of the fire pit's mesh.
constexpr glm::vec3 kFireDisplacement{0.05f, 0.1f, 0.1f};

const glm::vec3 kMoonColour{0.184f, 0.255f, 0.349f};

// The centre of the first fire object, moved by the displacement; a scene
// without a fire object has its fire at the origin.
glm::vec3 firePosition(const Level& level) {
    const auto fireObjects = level.getSecondaryObjects();
    if (fireObjects.empty())
        return glm::vec3(0.0f);
    return fireObjects.front()->mesh->getCenter() + kFireDisplacement;
}

// What the application itself sets in the lit programs, after each link.
// Each draw gives the colour texture and the normal map their units, and the
// Level gives the shadow cube map unit 2 only when it binds one; the cube
// sampler must be off unit 0 from the start, or every draw before the first
// shadow pass (or with shadows off) is invalid. The mirrored view's variant
// has no cube sampler, and no switches, as its files stand.
void setUpLitProgram() {
    rtr::setSamplerUnits(*phongProgram, {{"depth_map", 2}});
    rtr::setSamplerUnits(*mirroredPhongProgram, {{"depth_map", 2}});
    normalMappingLocation = glGetUniformLocation(phongProgram->program, "normalMapping");
    shadowMappingLocation = glGetUniformLocation(phongProgram->program, "shadowMapping");
}

} // namespace

void startReadingScene() { sceneLoader().startLoading(kSceneFile); }

void assembleScene() {
    // The sounds decode on worker threads while the scene loads; the
    // campfire's and the music's buffers take them over when they are made.
    rtr::startDecoding(Campfire::kCracklingFile);
    rtr::startDecoding(kMusicFile);

    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_CULL_FACE);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glfwSetWindowTitle(window, "Thalvek");

    phongProgram = new ShaderProgram("../Shader/PhongSMap.vert", "../Shader/PhongSMap.frag");
    mirroredPhongProgram = new ShaderProgram(*phongProgram, kMirroredViewDefine);
    setUpLitProgram();
    shadowPassProgram = new ShaderProgram("../Shader/ODSMfirstPass.vert", "../Shader/ODSMfirstPass.geom",
                                          "../Shader/ODSMfirstPass.frag");
    shadowDebugProgram = new ShaderProgram("../Shader/shadowDebug.vert", "../Shader/shadowDebug.frag");

    AssimpLoader& loader = sceneLoader();
    const aiScene* scene = loader.loadScene(kSceneFile);
    if (scene == nullptr)
        rtr::fatalExit({}); // the loader has said what went wrong
    loader.loadTextures(scene, kTextureFolder);
    level = loader.createLevel(scene, static_cast<float>(screenWidth), static_cast<float>(screenHeight), window);
    cameras = loader.cameras.get();
    // A scene without a water object has no water effect: no reflection
    // pass and no water draws.
    if (const auto waterObjects = level->getWaterObjects(); !waterObjects.empty())
        water = new Water(waterObjects.front(), Water::reflectionSizeFor(renderScale));

    // The fire light comes first among the Level's lights: it casts the
    // shadows.
    campfire = new Campfire(firePosition(*level));
    level->addLight(campfire->light.get());

    skyLight = new PointLight({0.0f, 80.0f, 0.0f}, kMoonColour, 1000.0f);
    rearLight = new PointLight({0.0f, 0.0f, -80.0f}, kMoonColour * 0.5f, 100.0f);
    frontLight = new PointLight({0.0f, 4.0f, 70.0f}, kMoonColour * 0.5f, 50.0f);
    level->addLight(skyLight);
    level->addLight(rearLight);
    level->addLight(frontLight);

    frameRenderer = new FrameRenderer();

    // The music sits on the listener (relative, at the default position
    // 0, 0, 0), so it sounds the same wherever the camera goes. Without a
    // device or the file the demo runs on without it.
    ALuint* music = nullptr;
    {
        rtr::StartupTimer timer(rtr::StartupPhase::Sound);
        music = audio().createSource(kMusicFile);
    }
    if (music != nullptr) {
        alSourcei(*music, AL_LOOPING, AL_TRUE);
        alSourcei(*music, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcePlay(*music);
    }

    inputController = new InputController(window);
    shadowMap = new OmniShadowMap(shadowDebugProgram, shadowPassProgram, level, cameras);
}

void reloadShaders() {
    rtr::ProgramReload reload;
    // The shared programs first; every object that reads one of them then
    // sets it up again, as the owners of the other programs do with theirs.
    reload(*phongProgram);
    reload(*mirroredPhongProgram); // after the program it takes its attributes from
    reload(*shadowPassProgram);
    reload(*shadowDebugProgram);
    setUpLitProgram();
    level->setUpPrograms();
    shadowMap->setUpPrograms();
    frameRenderer->reloadPrograms(reload);
    level->getSky().reloadPrograms(reload);
    if (water != nullptr)
        water->reloadPrograms(reload);
    campfire->reloadPrograms(reload);
    std::cout << reload.summary() << std::endl;
}

namespace {
template <typename T>
void release(T*& object) {
    delete object;
    object = nullptr;
}
} // namespace

void releaseScene() {
    release(water);
    release(campfire);
    release(mirroredPhongProgram);
    release(phongProgram);
    release(shadowPassProgram);
    release(shadowMap);
    release(skyLight);
    release(rearLight);
    release(frontLight);
    release(level);
    release(inputController);
}
