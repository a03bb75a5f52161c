#include "render/PassState.h"

#ifdef THALVEK_GL_DEBUG

#include <cstdio>
#include <string>

namespace rtr {

namespace {

// Where the driver reports its own errors: the debug output when the
// context has one (the callback prints it, a GL test fails on it), else
// standard error.
void reportDeviation(const PassBoundary& boundary, const std::string& what) {
    const std::string text = std::string("GL state at ") + boundary.name + ": " + what;
    if ((GLEW_VERSION_4_3 || GLEW_KHR_debug) && glDebugMessageInsert != nullptr &&
        glIsEnabled(GL_DEBUG_OUTPUT) == GL_TRUE) {
        glDebugMessageInsert(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_ERROR, 1, GL_DEBUG_SEVERITY_HIGH,
                             static_cast<GLsizei>(text.size()), text.c_str());
        return;
    }
    std::fprintf(stderr, "GL error: %s\n", text.c_str());
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

const char* polygonModeName(GLint mode) {
    switch (mode) {
    case GL_FILL: return "GL_FILL";
    case GL_LINE: return "GL_LINE";
    case GL_POINT: return "GL_POINT";
    default: return "unknown";
    }
}

} // namespace

void checkPassState(const PassBoundary& boundary) {
    const auto expect = [&boundary](bool holds, const std::string& what) {
        if (!holds)
            reportDeviation(boundary, what);
    };
    expect(glIsEnabled(GL_DEPTH_TEST) == GL_TRUE, "the depth test is off");
    expect(integer(GL_DEPTH_FUNC) == GL_LESS, "the depth function is not GL_LESS");
    expect(integer(GL_DEPTH_WRITEMASK) == GL_TRUE, "depth writes are off");
    expect(glIsEnabled(GL_CULL_FACE) == GL_TRUE, "face culling is off");
    expect(integer(GL_CULL_FACE_MODE) == GL_BACK, "culling does not cull back faces");
    expect(glIsEnabled(GL_BLEND) == GL_FALSE, "blending is on");

    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    expect(polygonMode[0] == static_cast<GLint>(boundary.polygonMode),
           std::string("the polygon mode is ") + polygonModeName(polygonMode[0]) + ", not " +
               polygonModeName(static_cast<GLint>(boundary.polygonMode)));

    GLboolean colourMask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    glGetBooleanv(GL_COLOR_WRITEMASK, colourMask);
    expect(colourMask[0] == GL_TRUE && colourMask[1] == GL_TRUE && colourMask[2] == GL_TRUE,
           "colour writes are off in a colour channel");
    expect((colourMask[3] == GL_TRUE) == boundary.alphaWrites,
           boundary.alphaWrites ? "alpha writes are off" : "alpha writes are on");

    expect(glIsEnabled(GL_STENCIL_TEST) == GL_FALSE, "the stencil test is on");
    expect((integer(GL_STENCIL_WRITEMASK) & 0xff) == 0xff && (integer(GL_STENCIL_BACK_WRITEMASK) & 0xff) == 0xff,
           "stencil writes are masked");
    expect(glIsEnabled(GL_SCISSOR_TEST) == GL_FALSE, "the scissor test is on");

    const GLint clipDistances = integer(GL_MAX_CLIP_DISTANCES);
    for (GLint i = 0; i < clipDistances; ++i)
        expect(glIsEnabled(static_cast<GLenum>(GL_CLIP_DISTANCE0 + i)) == GL_FALSE,
               "clip distance " + std::to_string(i) + " is enabled");

    const GLint activeUnit = integer(GL_ACTIVE_TEXTURE);
    const GLint units = integer(GL_MAX_COMBINED_TEXTURE_IMAGE_UNITS);
    for (GLint unit = 0; unit < units; ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        expect(integer(GL_SAMPLER_BINDING) == 0, "a sampler object is bound on unit " + std::to_string(unit));
    }
    glActiveTexture(static_cast<GLenum>(activeUnit));
}

} // namespace rtr

#endif
