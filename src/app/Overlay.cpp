#include "app/Overlay.h"

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "effects/Campfire.h"
#include "render/FrameRenderer.h"
#include "render/GL.h"
#include "render/Level.h"
#include "render/PassQueries.h"
#include "render/PointLight.h"

#include <GLFW/glfw3.h>
#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>

namespace {

using rtr::Pass;

using overlay_layout::Place;
// F7's view of the second scene target covers this square at the top left.
constexpr float kBufferDebugViewSize = 150.0f;
constexpr std::size_t kMostFrames = 2000;

constexpr ImGuiWindowFlags kPanel = ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoTitleBar |
                                    ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                                    ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav;

const ImVec4 kOn(0.45f, 0.9f, 0.45f, 1.0f);
const ImVec4 kOff(0.55f, 0.55f, 0.55f, 1.0f);
const ImVec4 kHeading(1.0f, 0.75f, 0.35f, 1.0f);

// The frame-time graph, and the width the panels' longer texts wrap at, at
// full size.
constexpr float kGraphWidth = 280.0f;
constexpr float kGraphHeight = 48.0f;
constexpr float kSwitchesWrap = 220.0f;

// The keys, as the README's controls table has them.
struct KeyHelp {
    const char* keys;
    const char* effect;
};
constexpr KeyHelp kKeys[] = {
    {"W / S", "fly forward / back"},
    {"A / D", "fly left / right"},
    {"mouse", "turn"},
    {"Page Up / Down", "next / previous camera"},
    {"Enter", "camera tour on / off"},
    {"R", "camera back to its start"},
    {"F1", "this overlay"},
    {"F3", "wireframe"},
    {"F4 / F5", "dim / brighten sky and rear light"},
    {"F6", "normal mapping"},
    {"F7", "second scene target (top left)"},
    {"F8", "shadow debug view, culling off"},
    {"F9", "reload the shaders"},
    {"F10", "shadows"},
    {"F11", "window / full screen"},
    {"F12", "screenshot"},
    {"U / J, H / K, O / L", "move the front light in z, x, y"},
    {"M", "stop every sound"},
    {"Escape", "quit"},
};

// The passes as the overlay lists them: the scene pass is its four parts.
struct PassRow {
    const char* name;
    Pass first;
    Pass last;
};
constexpr PassRow kPassRows[] = {
    {"shadow", Pass::Shadow, Pass::Shadow},
    {"reflection", Pass::Reflection, Pass::Reflection},
    {"scene", Pass::SceneOpaque, Pass::SceneTransparent},
    {"particles", Pass::Particles, Pass::Particles},
    {"mask", Pass::FireMask, Pass::FireMask},
    {"haze", Pass::Haze, Pass::Haze},
    {"water", Pass::Water, Pass::Water},
    {"composition", Pass::Composition, Pass::Composition},
};

// Milliseconds of the passes first..last; negative when none of them ran.
double passTime(const std::array<double, rtr::kPassCount>& times, Pass first, Pass last) {
    double sum = -1.0;
    for (auto p = static_cast<std::size_t>(first); p <= static_cast<std::size_t>(last); ++p)
        if (times[p] >= 0.0)
            sum = (sum < 0.0 ? 0.0 : sum) + times[p];
    return sum;
}

void switchRow(const char* key, const char* name, int state) {
    ImGui::TableNextRow();
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(key);
    ImGui::TableNextColumn();
    ImGui::TextUnformatted(name);
    ImGui::TableNextColumn();
    ImGui::TextColored(state == 1 ? kOn : kOff, state == 1 ? "on" : "off");
}

const char* lightName(const PointLight* light) {
    if (campfire != nullptr && light == campfire->light.get())
        return "fire";
    if (light == skyLight)
        return "sky";
    if (light == rearLight)
        return "rear";
    if (light == frontLight)
        return "front";
    return "light";
}

} // namespace

void Overlay::FrameHistory::add(double frameTime) {
    milliseconds_.push_back(static_cast<float>(frameTime * 1000.0));
    total_ += frameTime;
    std::size_t drop = 0;
    while (milliseconds_.size() - drop > 1 &&
           (total_ - milliseconds_[drop] / 1000.0 >= kSeconds || milliseconds_.size() - drop > kMostFrames))
        total_ -= milliseconds_[drop++] / 1000.0;
    milliseconds_.erase(milliseconds_.begin(), milliseconds_.begin() + static_cast<std::ptrdiff_t>(drop));
}

double Overlay::FrameHistory::rate() const {
    double seconds = 0.0;
    int frames = 0;
    for (auto it = milliseconds_.rbegin(); it != milliseconds_.rend() && seconds < 1.0; ++it, ++frames)
        seconds += *it / 1000.0;
    return seconds > 0.0 ? frames / seconds : 0.0;
}

Overlay::Overlay(GLFWwindow* window) : window_(window) {}

Overlay::~Overlay() {
    if (!started_)
        return;
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

bool Overlay::start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    // No imgui.ini or log beside the program.
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // The demo hides the cursor and puts it back at the centre every frame.
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    // Without its callbacks ImGui's GLFW part reads only the window's size
    // and the time: every key and the mouse stay the demo's.
    const bool platform = ImGui_ImplGlfw_InitForOpenGL(window_, false);
    // Its shaders then declare "#version 330 core", as every shader here.
    const bool renderer = platform && ImGui_ImplOpenGL3_Init("#version 330 core");
    if (!renderer) {
        if (platform)
            ImGui_ImplGlfw_Shutdown();
        ImGui::DestroyContext();
        std::printf("The overlay could not start: it stays off\n");
        return false;
    }
    const auto* name = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    renderer_ = name != nullptr ? name : "";
    cpuRenderer_ = rtr::rendersOnTheCpu(renderer_);
    return true;
}

void Overlay::newFrame(float scale) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGuiIO& io = ImGui::GetIO();
    // GLFW's clock may stand still between two frames, or be set back.
    if (!(io.DeltaTime > 0.0f))
        io.DeltaTime = 1e-6f;
    // Every size of the style, the font and the panels' own sizes alike.
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    ImGui::StyleColorsDark(&style);
    // Opaque panels: the picture behind them changes nothing they show.
    style.Colors[ImGuiCol_WindowBg].w = 1.0f;
    style.ScaleAllSizes(scale);
    io.FontGlobalScale = scale;
    scale_ = scale;
    ImGui::NewFrame();
}

void Overlay::drawPanels(double frameTime, bool everyPanel) {
    const bool collapsed = arrangement_.choice.keysCollapsed();
    drawSwitches(arrangement_.at[overlay_layout::kSwitches]);
    drawFrame(frameTime, arrangement_.at[overlay_layout::kFrame]);
    drawKeys(arrangement_.at[overlay_layout::kKeys], collapsed);
    if (everyPanel)
        drawKeys(arrangement_.at[overlay_layout::kKeys], !collapsed);
}

void Overlay::measure(double frameTime) {
    // ImGui sizes a panel that sizes itself from what it held in the frame
    // before, and hides it in its first frame: the second frame has the
    // sizes.
    for (int frame = 0; frame < 2; ++frame) {
        newFrame(1.0f);
        drawPanels(frameTime, true);
        ImGui::EndFrame();
    }
    fullSize_ = drawnSize_;
}

void Overlay::arrange(double frameTime) {
    int width = 0, height = 0;
    glfwGetWindowSize(window_, &width, &height);
    const float reserved = inputController->bufferDebugView == 1 ? kBufferDebugViewSize : 0.0f;
    const int before = arrangement_.choice.candidate;
    const auto w = static_cast<float>(width), h = static_cast<float>(height);
    if (width == arrangedWidth_ && height == arrangedHeight_ && reserved == arrangedReserved_) {
        // The same window: the panels keep their scale and key list while
        // they fit as drawn (from their last frame's contents), and only get
        // smaller when they no longer do (the tour's line has come), so
        // that two choices never take turns.
        const bool collapsed = arrangement_.choice.keysCollapsed();
        const std::array<overlay_layout::Size, overlay_layout::kPanelCount> drawn = {
            drawnSize_[overlay_layout::kSwitches], drawnSize_[overlay_layout::kFrame],
            drawnSize_[collapsed ? kKeysCollapsed : overlay_layout::kKeys]};
        if (overlay_layout::placePanels(drawn, w, h, reserved, arrangement_.at))
            return;
        arrangement_ = overlay_layout::arrange(fullSize_, w, h, reserved, before + 1);
    } else {
        arrangement_ = overlay_layout::arrange(fullSize_, w, h, reserved);
        arrangedWidth_ = width;
        arrangedHeight_ = height;
        arrangedReserved_ = reserved;
    }
    if (arrangement_.choice.candidate != before) {
        // The panels' contents at the new scale, unseen, for ImGui to size
        // the panels from.
        newFrame(arrangement_.choice.scale());
        drawPanels(frameTime, false);
        ImGui::EndFrame();
    }
}

void Overlay::layOut(double frameTime) {
    arrange(frameTime);
    newFrame(arrangement_.choice.scale());
    drawPanels(frameTime, false);
    // Sizes at full scale are exact; smaller, the style's sizes are rounded
    // down, so a size scaled back up may come out short, and only a larger
    // one (new contents) is taken.
    for (std::size_t panel = 0; panel < fullSize_.size(); ++panel) {
        const bool drawn = panel == overlay_layout::kSwitches || panel == overlay_layout::kFrame ||
                           (panel == kKeysCollapsed) == arrangement_.choice.keysCollapsed();
        if (!drawn)
            continue;
        const overlay_layout::Size full = {drawnSize_[panel].width / scale_, drawnSize_[panel].height / scale_};
        if (scale_ == 1.0f)
            fullSize_[panel] = full;
        else
            fullSize_[panel] = {std::max(fullSize_[panel].width, full.width),
                                std::max(fullSize_[panel].height, full.height)};
    }
}

void Overlay::draw(double frameTime) {
    history_.add(frameTime);
    if (inputController == nullptr || inputController->overlay == 0 || failed_)
        return;
    if (!started_) {
        started_ = start();
        failed_ = !started_;
        if (failed_)
            return;
        measure(frameTime);
    }
    layOut(frameTime);
    ImGui::Render();

    // Over the window's picture, whatever the last pass left bound; ImGui
    // restores every other state it changes itself.
    GLint drawFramebuffer = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer));
    ++framesDrawn_;
}

void Overlay::drawSwitches(Place at) {
    const InputController& switches = *inputController;
    ImGui::SetNextWindowPos(ImVec2(at.x, at.y));
    ImGui::Begin("Switches", nullptr, kPanel);
    if (ImGui::BeginTable("switches", 3)) {
        switchRow("F3", "wireframe", switches.wireframe);
        switchRow("F6", "normal mapping", switches.normalMapping);
        switchRow("F7", "second target view", switches.bufferDebugView);
        switchRow("F8", "shadow debug view", switches.shadowDebugView);
        switchRow("F8", "frustum culling", switches.frustumCulling);
        switchRow("F10", "shadows", switches.shadows);
        switchRow("Enter", "camera tour", switches.tour);
        ImGui::EndTable();
    }
    if (level != nullptr && ImGui::BeginTable("lights", 2)) {
        for (const PointLight* light : level->lights()) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::Text("%s light", lightName(light));
            ImGui::TableNextColumn();
            ImGui::Text("%.2f", static_cast<double>(light->intensity));
        }
        ImGui::EndTable();
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + kSwitchesWrap * scale_);
        ImGui::TextDisabled("the fire light flickers; F4 / F5 change sky and rear");
        ImGui::PopTextWrapPos();
    }
    drawnSize_[overlay_layout::kSwitches] = {ImGui::GetWindowSize().x, ImGui::GetWindowSize().y};
    ImGui::End();
}

void Overlay::drawFrame(double frameTime, Place at) {
    ImGui::SetNextWindowPos(ImVec2(at.x, at.y));
    ImGui::Begin("Frame", nullptr, kPanel);
    ImGui::TextColored(kHeading, "%s %.1f ms  %.1f fps", cpuRenderer_ ? "CPU time of the frame" : "frame",
                       frameTime * 1000.0, history_.rate());
    const std::vector<float>& times = history_.milliseconds();
    const float highest = times.empty() ? 1.0f : *std::max_element(times.begin(), times.end());
    char caption[48];
    std::snprintf(caption, sizeof caption, "last %.0f s, up to %.1f ms", FrameHistory::kSeconds,
                  static_cast<double>(highest));
    ImGui::PlotLines("##frame times", times.data(), static_cast<int>(times.size()), 0, caption, 0.0f,
                     highest * 1.25f, ImVec2(kGraphWidth * scale_, kGraphHeight * scale_));

    if (cameras != nullptr) {
        const glm::vec3 p = cameras->current()->position;
        ImGui::Text("camera %d (of 0-%d) at (%.2f, %.2f, %.2f)", cameras->index, cameras->count,
                    static_cast<double>(p.x), static_cast<double>(p.y), static_cast<double>(p.z));
        if (inputController->tour == 1)
            ImGui::Text("tour at %.1f s of 50", cameras->tourTime);
    }

    if (frameRenderer == nullptr) {
        drawnSize_[overlay_layout::kFrame] = {ImGui::GetWindowSize().x, ImGui::GetWindowSize().y};
        ImGui::End();
        return;
    }
    // --scale: how many pixels the scene is drawn with.
    ImGui::Text("render scale %.2f, the scene at %dx%d", static_cast<double>(frameRenderer->getRenderScale()),
                frameRenderer->getSceneWidth(), frameRenderer->getSceneHeight());
    const rtr::PassQueries& queries = frameRenderer->passTimes();
    if (cpuRenderer_) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + kGraphWidth * scale_);
        ImGui::TextDisabled("%s renders on the CPU as the commands are flushed, so the driver's pass times "
                            "below mean nothing; the frame's CPU time is above.",
                            renderer_.c_str());
        ImGui::PopTextWrapPos();
    } else {
        ImGui::TextColored(kHeading, "GPU time per pass");
    }
    if (ImGui::BeginTable("passes", 2)) {
        for (const PassRow& row : kPassRows) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(row.name);
            ImGui::TableNextColumn();
            const double ms = queries.hasResults() ? passTime(queries.latest(), row.first, row.last) : -1.0;
            if (ms < 0.0)
                ImGui::TextDisabled("-");
            else if (cpuRenderer_)
                ImGui::TextDisabled("%.2f ms", ms);
            else
                ImGui::Text("%.2f ms", ms);
        }
        ImGui::EndTable();
    }
    drawnSize_[overlay_layout::kFrame] = {ImGui::GetWindowSize().x, ImGui::GetWindowSize().y};
    ImGui::End();
}

void Overlay::drawKeys(Place at, bool collapsed) {
    ImGui::SetNextWindowPos(ImVec2(at.x, at.y));
    if (collapsed) {
        // Too small a window for the list: how to get the picture back.
        ImGui::Begin("Keys##collapsed", nullptr, kPanel);
        ImGui::TextUnformatted("F1 hides the overlay");
        drawnSize_[kKeysCollapsed] = {ImGui::GetWindowSize().x, ImGui::GetWindowSize().y};
        ImGui::End();
        return;
    }
    ImGui::Begin("Keys", nullptr, kPanel);
    if (ImGui::BeginTable("keys", 2)) {
        for (const KeyHelp& key : kKeys) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(key.keys);
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(key.effect);
        }
        ImGui::EndTable();
    }
    drawnSize_[overlay_layout::kKeys] = {ImGui::GetWindowSize().x, ImGui::GetWindowSize().y};
    ImGui::End();
}
