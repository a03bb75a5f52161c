#pragma once
// Debug builds name their GL objects and report driver messages, so a bad
// call names the object it touched. Release builds compile these away.

#include "render/GL.h"

#include <string_view>

namespace rtr {

// Installs a KHR_debug message callback that prints errors and warnings to
// standard error, when the context offers it (GL 4.3 or GL_KHR_debug).
void installDebugOutput();

// glObjectLabel when available; `identifier` is GL_BUFFER, GL_TEXTURE, ...
#ifdef THALVEK_GL_DEBUG
void labelObject(GLenum identifier, GLuint name, std::string_view label);
#else
inline void labelObject(GLenum, GLuint, std::string_view) {}
#endif

} // namespace rtr
