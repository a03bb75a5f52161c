// Building GLSL programs from files: both forms link, a variant sees its
// define, and every failure takes the fatal path with its exact message, the
// driver's log where there is one, and exit status -1, without waiting for a
// key.

#include "render/ShaderProgram.h"
#include "support/ChildProcess.h"
#include "support/GLTestContext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using testing_support::ChildResult;
using testing_support::GLTestContext;
using testing_support::runInChild;

namespace {

const char* kVertex = R"(#version 330 core
in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";
const char* kFragment = R"(#version 330 core
out vec4 colour;
void main() { colour = vec4(1.0); }
)";
const char* kGeometry = R"(#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;
void main() {
    for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); }
    EndPrimitive();
}
)";
// Compiles on its own, but a stage without main() cannot be linked.
const char* kFragmentWithoutMain = R"(#version 330 core
out vec4 colour;
void paint() { colour = vec4(1.0); }
)";
const char* kBroken = "#version 330 core\nvoid main() { this is not glsl; }\n";

class ShaderFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("thalvek-shaders-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& text) {
        const auto path = dir_ / name;
        std::ofstream(path) << text;
        return path.string();
    }
    std::string missing(const std::string& name) { return (dir_ / name).string(); }

    static ChildResult build(std::function<void()> makeProgram) {
        return runInChild([&] {
            GLTestContext context(64, 64);
            if (!context.ok())
                _exit(99);
            makeProgram();
        });
    }

    std::filesystem::path dir_;
};

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

} // namespace

TEST_F(ShaderFiles, BothFormsLinkAndReleaseEveryObject) {
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    auto* twoStage = new ShaderProgram(write("a.vert", kVertex), write("a.frag", kFragment));
    EXPECT_NE(twoStage->program, 0u);
    EXPECT_NE(twoStage->vertexShader, 0u);
    EXPECT_NE(twoStage->fragmentShader, 0u);
    EXPECT_EQ(twoStage->geometryShader, 0u);

    auto* threeStage = new ShaderProgram(write("b.vert", kVertex), write("b.geom", kGeometry),
                                         write("b.frag", kFragment));
    EXPECT_NE(threeStage->geometryShader, 0u);
    GLint shaders = 0;
    glGetProgramiv(threeStage->program, GL_ATTACHED_SHADERS, &shaders);
    EXPECT_EQ(shaders, 3);

    const GLuint names[] = {threeStage->program, threeStage->vertexShader, threeStage->geometryShader,
                            threeStage->fragmentShader};
    delete twoStage;
    delete threeStage;
    EXPECT_EQ(glIsProgram(names[0]), GL_FALSE);
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(glIsShader(names[i]), GL_FALSE) << "shader " << i;
}

// Each row puts something unreadable where one stage's file should be; every
// one takes the fatal path, naming the path, the system's reason and the
// working directory on the second line.
TEST_F(ShaderFiles, AnUnreadableFileIsFatalWithThePathAndTheReason) {
    struct Row {
        const char* what;
        std::string vertex, fragment, unreadable;
        const char* reason;
    };
    const std::string folder = (dir_ / "folder.frag").string();
    std::filesystem::create_directory(folder);
    const Row rows[] = {
        {"missing vertex file", missing("nowhere.vert"), write("c.frag", kFragment), missing("nowhere.vert"),
         "No such file or directory"},
        {"folder as fragment file", write("c.vert", kVertex), folder, folder, "Is a directory"},
    };
    const std::string directory = std::filesystem::current_path().string();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto result = build([&] { ShaderProgram program(row.vertex, row.fragment); });
        ASSERT_TRUE(result.exited) << "timed out or crashed: " << result.err;
        EXPECT_EQ(result.exitStatus, 255);
        EXPECT_EQ(result.out, "Failed to open shader-file\n" + row.unreadable + ": " + row.reason +
                                  " (working directory: " + directory + ")\n");
    }
}

TEST_F(ShaderFiles, EmptySourceIsACompileFailureWithTheDriversLog) {
    const std::string vert = write("empty.vert", ""), frag = write("d.frag", kFragment);
    const auto result = build([&] { ShaderProgram program(vert, frag); });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    const auto out = lines(result.out);
    ASSERT_GE(out.size(), 2u) << result.out;
    EXPECT_EQ(out[0], "Failed to compile shader");
    EXPECT_FALSE(out[1].empty()) << "the driver's log is missing";
}

TEST_F(ShaderFiles, CompileErrorPrintsTheLogOnTheNextLine) {
    const std::string vert = write("e.vert", kVertex), frag = write("broken.frag", kBroken);
    const auto result = build([&] { ShaderProgram program(vert, frag); });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    const auto out = lines(result.out);
    ASSERT_GE(out.size(), 2u) << result.out;
    EXPECT_EQ(out[0], "Failed to compile shader");
    EXPECT_NE(out[1].find("error"), std::string::npos) << out[1];
}

TEST_F(ShaderFiles, LinkErrorPrintsTheLinkLog) {
    const std::string vert = write("f.vert", kVertex), frag = write("f.frag", kFragmentWithoutMain);
    const auto result = build([&] { ShaderProgram program(vert, frag); });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    const auto out = lines(result.out);
    ASSERT_GE(out.size(), 2u) << result.out;
    EXPECT_EQ(out[0], "Failed to link shader program");
    EXPECT_NE(out[1].find("main"), std::string::npos) << out[1];
}

TEST_F(ShaderFiles, MissingGeometryFileIsReportedAfterVertexAndFragmentCompiled) {
    const std::string geom = missing("nowhere.geom");
    // With good vertex and fragment stages the missing file is what fails...
    const std::string vert = write("g.vert", kVertex), frag = write("g.frag", kFragment);
    auto result = build([&] { ShaderProgram program(vert, geom, frag); });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(lines(result.out).at(0), "Failed to open shader-file");

    // ...but a broken fragment stage is compiled, and reported, first.
    const std::string brokenFrag = write("broken.frag", kBroken);
    result = build([&] { ShaderProgram program(vert, geom, brokenFrag); });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(lines(result.out).at(0), "Failed to compile shader");
}

// A variant builds the same files with one name defined. Its vertex inputs
// sit where its base has them, even where it leaves some of them out, so
// that the base's vertex arrays feed it; a reload keeps both.
TEST_F(ShaderFiles, AVariantSeesItsDefineAndTakesItsBasesAttributeLocations) {
    GLTestContext context(64, 64);
    ASSERT_TRUE(context.ok());
    const std::string vert = write("v.vert", R"(#version 330 core
in vec4 first;
in vec4 second;
in vec4 third;
#ifdef LEAN
uniform float onlyInTheVariant;
#endif
void main() {
#ifdef LEAN
    gl_Position = third * onlyInTheVariant;
#else
    gl_Position = first + second + third;
#endif
}
)");
    ShaderProgram base(vert, write("v.frag", kFragment));
    ShaderProgram variant(base, "LEAN");
    const auto expectVariant = [&] {
        EXPECT_EQ(glGetUniformLocation(base.program, "onlyInTheVariant"), -1);
        EXPECT_NE(glGetUniformLocation(variant.program, "onlyInTheVariant"), -1);
        EXPECT_EQ(glGetAttribLocation(variant.program, "third"), glGetAttribLocation(base.program, "third"));
    };
    expectVariant();
    ASSERT_TRUE(base.reload());
    ASSERT_TRUE(variant.reload());
    expectVariant();
}

// The define goes in after #version without moving the file's lines, so
// the driver's log points at the line to mend.
TEST_F(ShaderFiles, AVariantsCompileErrorNamesTheFilesOwnLine) {
    const std::string vert = write("w.vert", kVertex);
    const std::string frag = write("w.frag", "#version 330 core\nout vec4 colour;\n#ifdef LEAN\n"
                                             "void main() { this is not glsl; }\n#else\n"
                                             "void main() { colour = vec4(1.0); }\n#endif\n");
    const auto result = build([&] {
        ShaderProgram base(vert, frag);
        ShaderProgram variant(base, "LEAN");
    });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    const auto out = lines(result.out);
    ASSERT_GE(out.size(), 2u) << result.out;
    EXPECT_EQ(out[0], "Failed to compile shader");
    EXPECT_NE(out[1].find("0:4("), std::string::npos) << out[1];
}
