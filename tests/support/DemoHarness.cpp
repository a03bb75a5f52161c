#include "support/DemoHarness.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/FrameStep.h"
#include "app/FrameUpdate.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "app/SceneAssembly.h"
#include "effects/Campfire.h"
#include "render/FrameRenderer.h"
#include "render/ShaderProgram.h"

#include <glm/vec2.hpp>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>

namespace testing_support {

ScratchRuntimeTree::ScratchRuntimeTree() {
    namespace fs = std::filesystem;
    previousDirectory_ = fs::current_path();
    root_ = fs::temp_directory_path() /
            ("thalvek-tree-" + std::to_string(::getpid()) + "-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "Data");
}

void ScratchRuntimeTree::enter() { std::filesystem::current_path(root_ / "bin"); }

ScratchRuntimeTree::ScratchRuntimeTree(const std::string& sceneFile) : ScratchRuntimeTree() {
    namespace fs = std::filesystem;
    const fs::path real = fs::path(THALVEK_RUNTIME_DIR);
    for (const char* shared : {"Shader", "Textures", "SFX"})
        if (fs::exists(real / shared))
            fs::create_directory_symlink(real / shared, root_ / shared);
    if (!sceneFile.empty())
        fs::copy_file(sceneFile, root_ / "Data" / "ThalvekF.dae");
    enter();
}

ScratchRuntimeTree::ScratchRuntimeTree(const std::map<std::string, std::filesystem::path>& replacedShaders)
    : ScratchRuntimeTree() {
    namespace fs = std::filesystem;
    const fs::path real = fs::path(THALVEK_RUNTIME_DIR);
    for (const char* shared : {"Textures", "SFX"})
        if (fs::exists(real / shared))
            fs::create_directory_symlink(real / shared, root_ / shared);
    if (fs::exists(real / "Data" / "ThalvekF.dae"))
        fs::create_symlink(real / "Data" / "ThalvekF.dae", root_ / "Data" / "ThalvekF.dae");
    fs::create_directories(root_ / "Shader");
    for (const auto& entry : fs::directory_iterator(real / "Shader")) {
        const std::string name = entry.path().filename().string();
        if (replacedShaders.count(name) == 0)
            fs::create_symlink(entry.path(), root_ / "Shader" / name);
    }
    for (const auto& [name, replacement] : replacedShaders)
        fs::copy_file(replacement, root_ / "Shader" / name);
    enter();
}

ScratchRuntimeTree::ScratchRuntimeTree(const MissingTextures& missing) : ScratchRuntimeTree() {
    namespace fs = std::filesystem;
    const fs::path real = fs::path(THALVEK_RUNTIME_DIR);
    for (const char* shared : {"Shader", "SFX"})
        if (fs::exists(real / shared))
            fs::create_directory_symlink(real / shared, root_ / shared);
    if (fs::exists(real / "Data" / "ThalvekF.dae"))
        fs::create_symlink(real / "Data" / "ThalvekF.dae", root_ / "Data" / "ThalvekF.dae");
    fs::create_directories(root_ / "Textures");
    for (const auto& entry : fs::directory_iterator(real / "Textures")) {
        const std::string name = entry.path().filename().string();
        if (std::find(missing.names.begin(), missing.names.end(), name) == missing.names.end())
            fs::create_symlink(entry.path(), root_ / "Textures" / name);
    }
    enter();
}

ScratchRuntimeTree::~ScratchRuntimeTree() {
    std::filesystem::current_path(previousDirectory_);
    std::filesystem::remove_all(root_);
}

DemoHarness::DemoHarness(int width, int height, const std::function<void()>& beforeAssembly)
    : context_(width, height) {
    if (!context_.ok())
        return;
    if (beforeAssembly)
        beforeAssembly();
    clearKeyTables();
    orbitAngle = 0.0f;
    // The fire's random draws and its program-wide timers and flicker start
    // as in a fresh process (rand() unseeded is rand() after srand(1)), so
    // a picture does not depend on the tests that ran before it.
    std::srand(1);
    rtr::Fire::Emitter::smokeTimer = 0.0f;
    rtr::Fire::Emitter::flameTimer = 0.0f;
    Campfire::flicker = 10.0f;
    assembleScene();
    auto scripted = std::make_unique<ScriptedInput>();
    scripted->size = {width, height};
    scripted->cursor = {width / 2, height / 2};
    input_ = scripted.get();
    inputController->setInput(std::move(scripted));
}

DemoHarness::~DemoHarness() {
    if (!context_.ok())
        return;
    releaseScene();
    delete frameRenderer;
    frameRenderer = nullptr;
    cameras = nullptr; // the scene loader's; its next import frees it
    delete shadowDebugProgram;
    shadowDebugProgram = nullptr;
}

void DemoHarness::advance(int frames, double dt) {
    for (int i = 0; i < frames; ++i) {
        stepFrame(dt);
        overlay_.draw(dt);
    }
    glFinish();
}

void DemoHarness::settle(int frames, double dt) {
    for (int i = 0; i < frames; ++i)
        updateFrame(dt);
}

void DemoHarness::render() {
    redrawFrame();
    overlay_.draw(0.0);
    glFinish();
}

Image DemoHarness::readFrame() const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return readPixels(0, 0, context_.width(), context_.height());
}

} // namespace testing_support
