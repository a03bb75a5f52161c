#pragma once
// The whole demo in a test: a window and context made as the program makes
// them (at a size the test picks), the scene assembled from a run-time tree,
// frames advanced through the program's own update and render at a fixed
// time step, and the window's pixels read back. Held keys and the cursor
// come from a scripted input, so free flight stays still unless told.

#include "app/CameraInput.h"
#include "app/Overlay.h"
#include "support/GLTestContext.h"
#include "support/Image.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedInput final : public CameraInput {
public:
    std::set<int> keysDown;
    glm::dvec2 cursor{0.0, 0.0}; // set to the window centre by the harness
    glm::ivec2 size{0, 0};
    bool focused = true;
    bool isKeyDown(int key) const override { return keysDown.count(key) != 0; }
    glm::dvec2 cursorPosition() const override { return cursor; }
    glm::ivec2 windowSize() const override { return size; }
    void setCursorPosition(double x, double y) override {
        if (focused)
            cursor = {x, y};
    }
    bool hasFocus() const override { return focused; }
};

// A run-time tree in a temporary folder that shares Shader/, Textures/ and
// SFX/ with the real one but has its own Data/ThalvekF.dae (or none), and
// makes its bin/ the working directory while it lives.
class ScratchRuntimeTree {
public:
    // Files of the real Textures/ folder (names directly in it) to leave out.
    struct MissingTextures {
        std::vector<std::string> names;
    };

    // `sceneFile`: copied to Data/ThalvekF.dae; empty for no scene file.
    explicit ScratchRuntimeTree(const std::string& sceneFile);
    // The real scene and data, but a Shader/ of its own: the real files,
    // except those named here (file name -> the file to use instead).
    explicit ScratchRuntimeTree(const std::map<std::string, std::filesystem::path>& replacedShaders);
    // The real scene, shaders and sounds, but a Textures/ of its own: the
    // real one without the files named.
    explicit ScratchRuntimeTree(const MissingTextures& missing);
    ~ScratchRuntimeTree();
    ScratchRuntimeTree(const ScratchRuntimeTree&) = delete;
    ScratchRuntimeTree& operator=(const ScratchRuntimeTree&) = delete;
    const std::filesystem::path& root() const { return root_; }

private:
    // An empty tree with bin/ and Data/, not yet entered.
    ScratchRuntimeTree();
    void enter();

    std::filesystem::path root_;
    std::filesystem::path previousDirectory_;
};

class DemoHarness {
public:
    // `beforeAssembly` runs once the context is current, before the scene
    // is built: a test can change what the driver seems to offer there.
    DemoHarness(int width, int height, const std::function<void()>& beforeAssembly = {});
    // Releases the scene as the program does, then what the program leaves
    // to process exit (frame renderer, shadow debug program). The cameras
    // stay with the scene loader, which owns them.
    ~DemoHarness();
    DemoHarness(const DemoHarness&) = delete;
    DemoHarness& operator=(const DemoHarness&) = delete;

    bool ok() const { return context_.ok(); }
    GLTestContext& context() { return context_; }
    ScriptedInput& input() { return *input_; }

    // The program's frame step (stepFrame: the state reset, the update by
    // dt, the passes) and the F1 overlay, n times, then glFinish.
    void advance(int frames, double dt);
    // The program's frame update alone, n times: time passes without a
    // picture, for tests that look only at the frame after (on slow
    // drivers each frame not drawn saves seconds).
    void settle(int frames, double dt);
    // The reset, the passes and the overlay without an update, then
    // glFinish: the picture of the current state.
    void render();
    Overlay& overlay() { return overlay_; }
    Image readFrame() const;

private:
    GLTestContext context_;
    ScriptedInput* input_ = nullptr;
    Overlay overlay_{context_.window()}; // released before the context
};

} // namespace testing_support
