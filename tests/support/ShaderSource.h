#pragma once
// Programs built from GLSL text in a test, through the same ShaderProgram
// the system uses (it reads files, so the text goes through temporary files).

#include "render/ShaderProgram.h"

#include <memory>
#include <string>

namespace testing_support {

std::unique_ptr<ShaderProgram> programFromSource(const std::string& vertex, const std::string& fragment,
                                                 const std::string& geometry = "");

} // namespace testing_support
