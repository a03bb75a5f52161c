#include "support/ShaderSource.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace testing_support {

namespace {

std::string writeTemporary(const std::string& text, const char* extension) {
    static std::atomic<int> counter{0};
    const auto path = std::filesystem::temp_directory_path() /
                      ("thalvek-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + extension);
    std::ofstream(path) << text;
    return path.string();
}

} // namespace

std::unique_ptr<ShaderProgram> programFromSource(const std::string& vertex, const std::string& fragment,
                                                 const std::string& geometry) {
    const std::string vert = writeTemporary(vertex, ".vert");
    const std::string frag = writeTemporary(fragment, ".frag");
    std::unique_ptr<ShaderProgram> program;
    if (geometry.empty()) {
        program = std::make_unique<ShaderProgram>(vert, frag);
    } else {
        const std::string geom = writeTemporary(geometry, ".geom");
        program = std::make_unique<ShaderProgram>(vert, geom, frag);
        std::filesystem::remove(geom);
    }
    std::filesystem::remove(vert);
    std::filesystem::remove(frag);
    return program;
}

} // namespace testing_support
