#pragma once
// Checks every draw of the process against what OpenGL 3.3 leaves
// undefined and Mesa's software drivers happen to tolerate. glDrawArrays
// and glDrawElements are libGL's own exports (GLEW loads no pointer for
// them), so the GL test executables define both (DrawAuditor.cpp): while an
// auditor lives, each draw is checked against the state it is made in,
// then handed on to libGL. At every draw:
// - no texture that the current program samples is attached to the bound
//   draw framebuffer (a feedback loop, whichever draw buffers are on);
// - no clip distance is enabled unless the stage that feeds the rasteriser
//   writes gl_ClipDistance (its shader's source, read back from GL);
// - nothing is rasterised as lines or points while the stencil is written;
// - with recordSamplerUnits() called before the programs were made, every
//   sampler of the program was given its unit with glUniform1i.

#include "render/GL.h"

#include <set>
#include <string>

namespace testing_support {

class DrawAuditor {
public:
    DrawAuditor();
    ~DrawAuditor();
    DrawAuditor(const DrawAuditor&) = delete;
    DrawAuditor& operator=(const DrawAuditor&) = delete;

    // Each distinct fault found, in words.
    const std::set<std::string>& findings() const { return findings_; }
    // How many draws were checked: none means the draws did not come here.
    long draws() const { return draws_; }

    // From now on, note every program and location that glUniform1i sets
    // (GLEW's pointer, wrapped), so that a sampler left at its default unit
    // counts as unassigned.
    static void recordSamplerUnits();

    void audit(GLenum mode);

private:
    void checkSampledAttachments(GLuint program);
    void checkClipDistances(GLuint program);
    void checkStencilPrimitives(GLuint program, GLenum mode);

    std::set<std::string> findings_;
    long draws_ = 0;
};

} // namespace testing_support
