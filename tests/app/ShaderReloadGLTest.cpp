// F9 on the assembled demo, in a run-time tree whose Shader/ holds copies
// that the tests edit: an edited file shows after the key, a file that does
// not compile or link leaves its previous program drawing, and a reload
// sets every program's uniforms, sampler units and blocks up again, so the
// same files give the same picture.

#include "app/AppState.h"
#include "app/CameraSet.h"
#include "app/InputController.h"
#include "app/KeyTable.h"
#include "app/SceneAssembly.h"
#include "effects/Water.h"
#include "render/ShaderProgram.h"
#include "support/DemoHarness.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <fstream>
#include <sstream>
#include <vector>

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320, kHeight = 180;
constexpr double kDt = 1.0 / 30.0;

// Every shader of the real tree, as a copy of its own.
std::map<std::string, fs::path> everyShaderCopied() {
    std::map<std::string, fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(THALVEK_RUNTIME_DIR) / "Shader"))
        files[entry.path().filename().string()] = entry.path();
    return files;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Counts pixels that differ from `expected` in any colour channel.
int pixelsNotOf(const Image& image, Rgba expected) {
    int count = 0;
    for (const Rgba& p : image.pixels)
        if (p.r != expected.r || p.g != expected.g || p.b != expected.b)
            ++count;
    return count;
}

class ShaderReload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(demo_.ok());
        // Across the pool: the fire, its smoke and haze, the water and its
        // reflection, the sky and the shadowed bank are all in view.
        cameras->index = 4;
        demo_.advance(10, kDt);
    }

    void writeShader(const std::string& name, const std::string& text) {
        const fs::path path = tree_.root() / "Shader" / name;
        fs::remove(path);
        std::ofstream(path) << text;
    }

    std::string reloadCapturingOutput() {
        ::testing::internal::CaptureStdout();
        reloadShaders();
        return ::testing::internal::GetCapturedStdout();
    }

    ScratchRuntimeTree tree_{everyShaderCopied()};
    DemoHarness demo_{kWidth, kHeight};
};

const char* kFlatComposition = R"(#version 330 core
in vec2 uv;
out vec4 colour;
void main() { colour = vec4(64.0 / 255.0, 128.0 / 255.0, 192.0 / 255.0, 1.0); }
)";

} // namespace

TEST_F(ShaderReload, F9ShowsTheEditedFile) {
    ASSERT_GT(pixelsNotOf(demo_.readFrame(), {64, 128, 192, 255}), kWidth * kHeight / 2);
    writeShader("textured.frag", kFlatComposition);

    ::testing::internal::CaptureStdout();
    recordKeyEvent(GLFW_KEY_F9, GLFW_PRESS);
    demo_.advance(1, kDt);
    recordKeyEvent(GLFW_KEY_F9, GLFW_RELEASE);
    demo_.advance(1, kDt);
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(pixelsNotOf(demo_.readFrame(), {64, 128, 192, 255}), 0);
    EXPECT_EQ(out, "Reloaded 12 shader programs\n") << "one press, one reload";
}

// One file that does not compile, one program that does not link and one
// variant that does not compile: each is named with the driver's log, the
// rest reload, and the picture, the pool's reflection included, stays
// exactly what the previous programs drew.
TEST_F(ShaderReload, ABrokenFileLeavesThePreviousProgramDrawing) {
    demo_.render();
    const Image before = demo_.readFrame();

    writeShader("textured.frag", "#version 330 core\nvoid main() { this is not glsl; }\n");
    writeShader("skybox.frag", "#version 330 core\nout vec4 colour;\nvoid paint() { colour = vec4(1.0); }\n");
    const fs::path lit = fs::path(THALVEK_RUNTIME_DIR) / "Shader" / "PhongSMap.frag";
    writeShader("PhongSMap.frag", readText(lit) + "#ifdef MIRRORED_VIEW\nthis is not glsl;\n#endif\n");
    const std::string out = reloadCapturingOutput();

    const std::string compile = "Failed to compile shader ../Shader/textured.frag\n";
    const std::size_t compileAt = out.find(compile);
    ASSERT_NE(compileAt, std::string::npos) << out;
    EXPECT_NE(out.find("error", compileAt + compile.size()), std::string::npos) << "no driver log:\n" << out;
    const std::string link = "Failed to link shader program ../Shader/skybox.vert + ../Shader/skybox.frag\n";
    const std::size_t linkAt = out.find(link);
    ASSERT_NE(linkAt, std::string::npos) << out;
    EXPECT_NE(out.find("main", linkAt + link.size()), std::string::npos) << "no driver log:\n" << out;
    const std::string variant = "Failed to compile shader ../Shader/PhongSMap.frag with MIRRORED_VIEW\n";
    const std::size_t variantAt = out.find(variant);
    ASSERT_NE(variantAt, std::string::npos) << out;
    EXPECT_NE(out.find("error", variantAt + variant.size()), std::string::npos) << "no driver log:\n" << out;
    EXPECT_TRUE(out.ends_with("\nReloaded 9 of 12 shader programs; the others keep their previous version\n"))
        << out;

    demo_.render();
    const ImageDifference difference = compareImages(demo_.readFrame(), before, 0);
    EXPECT_EQ(difference.differingFraction, 0.0) << "largest difference " << difference.maxError;
}

// Every program comes back with its plain uniforms at other locations, and
// the lit one with its inputs declared in another order; each is freshly
// linked, with every uniform, sampler unit and block binding back at its
// default. The pictures, from the fire and across the pool with both debug
// views on, must not change by a single step.
TEST_F(ShaderReload, EveryProgramIsSetUpAgainAfterAReload) {
    inputController->bufferDebugView = 1;
    inputController->shadowDebugView = 1;
    const auto pictures = [this] {
        std::vector<Image> taken;
        for (int camera : {2, 4}) {
            cameras->index = camera;
            demo_.render();
            taken.push_back(demo_.readFrame());
        }
        return taken;
    };
    const std::vector<Image> before = pictures();
    const GLint modelMatrixBefore = glGetUniformLocation(phongProgram->program, "modelMatrix");
    const GLint mirroredModelMatrixBefore = glGetUniformLocation(mirroredPhongProgram->program, "modelMatrix");
    const GLint faceMatrixBefore = glGetUniformLocation(shadowPassProgram->program, "cm_mat[0]");
    const GLuint litBefore = phongProgram->program;
    const GLuint mirroredBefore = mirroredPhongProgram->program;

    for (const auto& entry : fs::directory_iterator(tree_.root() / "Shader")) {
        if (entry.path().extension() != ".vert")
            continue;
        std::string vertex = readText(entry.path());
        // Zero after linking, so it moves nothing, yet the compiler must
        // keep it; declared first, it takes the first locations.
        vertex.insert(vertex.rfind('}'), "    gl_Position.xy += reloadShift[3].xy;\n");
        vertex.insert(vertex.find('\n') + 1, "uniform vec4 reloadShift[4];\n");
        if (entry.path().filename() == "PhongSMap.vert") {
            const std::string lastInput = "in vec4 tangent;\n";
            const std::size_t lastInputAt = vertex.find(lastInput);
            ASSERT_NE(lastInputAt, std::string::npos);
            vertex.erase(lastInputAt, lastInput.size());
            vertex.insert(vertex.find("in vec3 position;"), lastInput);
        }
        writeShader(entry.path().filename().string(), vertex);
    }

    const std::string out = reloadCapturingOutput();
    ASSERT_EQ(out, "Reloaded 12 shader programs\n");
    EXPECT_EQ(glIsProgram(litBefore), GL_FALSE) << "the previous lit program was not deleted";
    EXPECT_EQ(glIsProgram(mirroredBefore), GL_FALSE) << "the previous mirrored-view variant was not deleted";
    // Otherwise a location kept from the previous program would go unseen.
    ASSERT_NE(glGetUniformLocation(phongProgram->program, "modelMatrix"), modelMatrixBefore);
    ASSERT_NE(glGetUniformLocation(mirroredPhongProgram->program, "modelMatrix"), mirroredModelMatrixBefore);
    ASSERT_NE(glGetUniformLocation(shadowPassProgram->program, "cm_mat[0]"), faceMatrixBefore);

    // The one constant the mirrored view's variant is given at start-up
    // only matters just below the water.
    ASSERT_NE(water, nullptr);
    GLfloat waterLevel = 0.0f;
    const GLuint mirrored = mirroredPhongProgram->program;
    glGetUniformfv(mirrored, glGetUniformLocation(mirrored, "waterLevel"), &waterLevel);
    EXPECT_EQ(waterLevel, water->height() - 0.05f);

    const std::vector<Image> after = pictures();
    for (std::size_t i = 0; i < before.size(); ++i) {
        const ImageDifference difference = compareImages(after[i], before[i], 0);
        EXPECT_EQ(difference.differingFraction, 0.0) << "picture " << i << ", largest difference "
                                                     << difference.maxError;
    }
}
