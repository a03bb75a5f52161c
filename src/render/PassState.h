#pragma once
// The GL state between the passes of a frame: what every pass may assume at
// its start and must leave behind at its end. The frame renderer checks it
// at each of its pass boundaries in Debug builds; a deviation is reported
// the way the driver reports an error (a KHR_debug message of type error and
// high severity, which the debug output prints and the GL tests fail on).
//
// Holds at every boundary:
//   depth       test on, function GL_LESS, writes on
//   culling     on, back faces
//   blending    off
//   polygon     GL_FILL; inside the camera passes (the mirrored pass, the
//               scene pass and its effects, up to the water) the frame's
//               scene mode, GL_LINE while wireframe is on. A draw that must
//               be filled whatever the mode (the mirrored pass's stencil
//               marking) sets GL_FILL around itself.
//   colour      writes on in all four channels; only inside the scene pass,
//               from its clear through the flames and smoke, alpha is off
//               (the copy's alpha is kept for the masks)
//   stencil     test off, writes on for all of its 8 bits
//   scissor     off
//   clipping    every clip distance off: a pass that enables one draws only
//               with programs that write gl_ClipDistance, and turns it off
//   samplers    no sampler object bound on any unit
//
// Assumed by no pass; each sets what it draws with at its start:
//   the draw framebuffer and its draw buffers, the viewport, the program,
//   the vertex array, the active texture unit and the textures on each unit.
//   Passes leave these as they end: the water leaves unit 3 active, the
//   Level unit 2, the mirrored pass the reflection framebuffer bound. A pass
//   never samples a texture attached to the framebuffer it draws into.

#include "render/GL.h"

namespace rtr {

// A pass boundary: its name for the report, and what it expects of the
// states that the contract above lets vary.
struct PassBoundary {
    const char* name;
    GLenum polygonMode = GL_FILL;
    bool alphaWrites = true;
};

#ifdef THALVEK_GL_DEBUG
// Compares the current GL state with the contract at `boundary` and reports
// each deviation.
void checkPassState(const PassBoundary& boundary);
#else
inline void checkPassState(const PassBoundary&) {}
#endif

} // namespace rtr
