// The F1 overlay through the program's own frame: hidden, it issues no
// timer query and draws nothing; showing, it times the passes without ever
// reading a query result that is not there yet (which would wait for the
// GPU); hidden again, the next frame is the frame it would have been. At
// every window size from 640 x 360 up its panels lie inside the window,
// apart from each other and from F7's view.

#include "app/AppState.h"
#include "app/InputController.h"
#include "render/FrameRenderer.h"
#include "render/PassQueries.h"
#include "support/DemoHarness.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

using testing_support::DemoHarness;
using testing_support::Image;

namespace {

// Counts, around the program's GL calls (through GLEW's entry points), the
// timer queries begun and the results read, and which of those reads came
// before the result was available: each of those would have stalled.
class QueryCalls {
public:
    QueryCalls() {
        realBegin_ = __glewBeginQuery;
        realResult_ = __glewGetQueryObjectuiv;
        realResult64_ = __glewGetQueryObjectui64v;
        __glewBeginQuery = begin;
        __glewGetQueryObjectuiv = result;
        __glewGetQueryObjectui64v = result64;
        begun = read = waited = 0;
    }
    ~QueryCalls() {
        __glewBeginQuery = realBegin_;
        __glewGetQueryObjectuiv = realResult_;
        __glewGetQueryObjectui64v = realResult64_;
    }
    QueryCalls(const QueryCalls&) = delete;
    QueryCalls& operator=(const QueryCalls&) = delete;

    static inline long begun = 0, read = 0, waited = 0;

private:
    static void countRead(GLuint id, GLenum pname) {
        if (pname != GL_QUERY_RESULT)
            return;
        ++read;
        GLuint available = GL_FALSE;
        realResult_(id, GL_QUERY_RESULT_AVAILABLE, &available);
        if (available == GL_FALSE)
            ++waited;
    }
    static void GLAPIENTRY begin(GLenum target, GLuint id) {
        ++begun;
        realBegin_(target, id);
    }
    static void GLAPIENTRY result(GLuint id, GLenum pname, GLuint* value) {
        countRead(id, pname);
        realResult_(id, pname, value);
    }
    static void GLAPIENTRY result64(GLuint id, GLenum pname, GLuint64* value) {
        countRead(id, pname);
        realResult64_(id, pname, value);
    }

    static inline PFNGLBEGINQUERYPROC realBegin_ = nullptr;
    static inline PFNGLGETQUERYOBJECTUIVPROC realResult_ = nullptr;
    static inline PFNGLGETQUERYOBJECTUI64VPROC realResult64_ = nullptr;
};

constexpr double kDt = 1.0 / 30.0;

// Pixels of the top-left corner that differ between two frames.
int differingTopLeft(const Image& a, const Image& b) {
    int differing = 0;
    for (int y = 0; y < a.height / 2; ++y)
        for (int x = 0; x < a.width / 2; ++x)
            differing += a.at(x, y) == b.at(x, y) ? 0 : 1;
    return differing;
}

// The GL state a frame leaves behind that the overlay's drawing changes on
// its way (blending, scissor, culling, depth, the program, vertex array,
// buffers and texture unit): after a frame with the overlay it must be what
// a frame without it leaves.
std::vector<GLint> stateAfterAFrame() {
    std::vector<GLint> state;
    for (GLenum capability : {GL_BLEND, GL_SCISSOR_TEST, GL_CULL_FACE, GL_DEPTH_TEST, GL_STENCIL_TEST})
        state.push_back(glIsEnabled(capability));
    for (GLenum binding : {GL_CURRENT_PROGRAM, GL_VERTEX_ARRAY_BINDING, GL_ARRAY_BUFFER_BINDING, GL_ACTIVE_TEXTURE,
                           GL_TEXTURE_BINDING_2D, GL_BLEND_SRC_RGB, GL_BLEND_DST_RGB, GL_BLEND_EQUATION_RGB,
                           GL_DRAW_FRAMEBUFFER_BINDING, GL_POLYGON_MODE}) {
        GLint value[4] = {0, 0, 0, 0};
        glGetIntegerv(binding, value);
        state.push_back(value[0]);
    }
    for (GLenum rectangle : {GL_SCISSOR_BOX, GL_VIEWPORT}) {
        GLint box[4] = {0, 0, 0, 0};
        glGetIntegerv(rectangle, box);
        state.insert(state.end(), box, box + 4);
    }
    return state;
}

struct Panel {
    std::string name;
    ImRect rect;
    bool cut; // some of its content is not shown
};

std::ostream& operator<<(std::ostream& out, const Panel& panel) {
    return out << panel.name << " (" << panel.rect.Min.x << ", " << panel.rect.Min.y << ")-(" << panel.rect.Max.x
               << ", " << panel.rect.Max.y << ")" << (panel.cut ? " cut" : "");
}

// The overlay's panels in the frame ImGui last drew.
std::vector<Panel> panelsDrawn() {
    std::vector<Panel> panels;
    for (const ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
        if (window->Active && !window->Hidden && !window->IsFallbackWindow &&
            (window->Flags & ImGuiWindowFlags_ChildWindow) == 0)
            panels.push_back({window->Name, window->Rect(), window->ScrollMax.x > 0.0f || window->ScrollMax.y > 0.0f});
    return panels;
}

} // namespace

TEST(Overlay, HiddenItIssuesNoQueryAndShowingItNoFrameWaitsForOne) {
    DemoHarness demo(160, 90);
    ASSERT_TRUE(demo.ok());
    QueryCalls calls;
    demo.advance(3, kDt);
    EXPECT_EQ(QueryCalls::begun, 0) << "the overlay starts hidden";
    EXPECT_EQ(demo.overlay().framesDrawn(), 0);

    inputController->overlay = 1;
    for (int i = 0; i < 8; ++i)
        demo.advance(1, kDt);
    EXPECT_EQ(demo.overlay().framesDrawn(), 8);
    EXPECT_GT(QueryCalls::begun, 8) << "every pass of every frame is timed";
    EXPECT_GT(QueryCalls::read, 0) << "no result was read back";
    EXPECT_EQ(QueryCalls::waited, 0) << "a frame read a result before it was available";
    const rtr::PassQueries& times = frameRenderer->passTimes();
    ASSERT_TRUE(times.hasResults());
    for (rtr::Pass pass : {rtr::Pass::Shadow, rtr::Pass::SceneOpaque, rtr::Pass::Composition})
        EXPECT_GE(times.latest()[static_cast<std::size_t>(pass)], 0.0) << rtr::passName(pass);

    inputController->overlay = 0;
    const long begun = QueryCalls::begun;
    demo.advance(3, kDt);
    EXPECT_EQ(QueryCalls::begun, begun) << "hidden again, it must issue no query";
    EXPECT_EQ(demo.overlay().framesDrawn(), 8);
}

TEST(Overlay, ShownAndHiddenAgainTheNextFrameIsAsBefore) {
    DemoHarness demo(320, 180);
    ASSERT_TRUE(demo.ok());
    demo.advance(2, kDt);
    demo.render();
    const std::vector<GLint> stateBefore = stateAfterAFrame();
    const Image before = demo.readFrame();

    inputController->overlay = 1;
    demo.render();
    EXPECT_EQ(stateAfterAFrame(), stateBefore) << "the overlay left GL state changed";
    const Image showing = demo.readFrame();
    EXPECT_GT(differingTopLeft(before, showing), 320 * 180 / 20) << "the overlay drew nothing at the top left";

    inputController->overlay = 0;
    demo.render();
    const Image after = demo.readFrame();
    EXPECT_EQ(differingTopLeft(before, after), 0);
    EXPECT_TRUE(after.pixels == before.pixels) << "the overlay left a state behind that changes the next frame";
}

TEST(Overlay, AtEverySizeThePanelsLieInsideTheWindowAndApart) {
    DemoHarness demo(640, 360);
    ASSERT_TRUE(demo.ok());
    inputController->overlay = 1;
    constexpr float kDebugView = 150.0f; // F7's view of the second target, at the top left
    const int sizes[][2] = {{640, 360}, {700, 400}, {800, 450}, {1024, 576}, {1280, 720},
                            {1920, 1080}, {640, 1000}, {2000, 360}};
    for (const auto& size : sizes)
        for (const int views : {0, 1}) {
            const float width = static_cast<float>(size[0]), height = static_cast<float>(size[1]);
            glfwSetWindowSize(window, size[0], size[1]);
            // F7's view and the tour's line, or neither.
            inputController->bufferDebugView = views;
            inputController->tour = views;
            // A panel's size is known to ImGui a frame after its contents.
            for (int frame = 0; frame < 3; ++frame)
                demo.overlay().draw(kDt);
            const std::vector<Panel> panels = panelsDrawn();
            std::ostringstream shown;
            for (const Panel& panel : panels)
                shown << "\n  " << panel;
            SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]) + (views ? " with F7 and the tour" : "") +
                         shown.str());
            EXPECT_EQ(panels.size(), 3u);
            const ImRect debugView(0.0f, 0.0f, kDebugView, kDebugView);
            for (std::size_t i = 0; i < panels.size(); ++i) {
                const ImRect& rect = panels[i].rect;
                EXPECT_TRUE(rect.Min.x >= 0.0f && rect.Min.y >= 0.0f && rect.Max.x <= width && rect.Max.y <= height)
                    << panels[i] << " leaves the window";
                EXPECT_FALSE(panels[i].cut) << panels[i];
                EXPECT_FALSE(views && rect.Overlaps(debugView)) << panels[i] << " covers F7's view";
                for (std::size_t j = i + 1; j < panels.size(); ++j)
                    EXPECT_FALSE(rect.Overlaps(panels[j].rect)) << panels[i] << " overlaps " << panels[j];
            }
        }
}
