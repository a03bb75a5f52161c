#pragma once
// A framebuffer that the driver refuses (a format it cannot render to, an
// attachment lost) draws nothing and says nothing; the owner of each
// framebuffer asks once it is made and whenever its attachments change.

#include "render/GL.h"

namespace rtr {

// Whether the framebuffer bound to `target` is complete. If it is not, one
// line on standard error names it and its status, and the caller goes on
// as before.
bool checkFramebufferComplete(GLenum target, const char* name);

} // namespace rtr
