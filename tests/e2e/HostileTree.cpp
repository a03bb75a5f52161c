// thalvek-hostile-tree RUNTIME TARGET: writes at TARGET a run-time tree that
// shares RUNTIME's program, shaders and sounds but brings files a user's own
// scene could bring: textures of unknown type, with upper-case extensions,
// 16-bit grey, with a header that lies about its size, a folder where a
// texture should be, a night-sky face of another size, and nodes nested
// thousands deep. The end-to-end test runs the real program on it.

#include "support/HostileFiles.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;
using namespace testing_support;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: thalvek-hostile-tree RUNTIME TARGET\n";
        return 2;
    }
    const fs::path runtime = fs::absolute(argv[1]), target = argv[2];
    const fs::path textures = target / "Textures" / "new", sky = target / "Textures" / "skybox";
    fs::create_directories(target / "bin");
    fs::create_directories(target / "Data");
    fs::create_directories(textures);
    fs::create_directories(sky);
    fs::create_symlink(runtime / "bin" / "thalvek", target / "bin" / "thalvek");
    for (const char* shared : {"Shader", "SFX"})
        fs::create_directory_symlink(runtime / shared, target / shared);
    for (const auto& entry : fs::directory_iterator(runtime / "Textures"))
        if (entry.is_regular_file())
            fs::create_symlink(entry.path(), target / "Textures" / entry.path().filename());
    for (const auto& entry : fs::directory_iterator(runtime / "Textures" / "skybox"))
        fs::create_symlink(entry.path(), sky / entry.path().filename());
    // The sky's "up" image is face -Y; the others are 1024 x 1024.
    fs::remove(sky / "nightsky_up.png");
    writeImage((sky / "nightsky_up.png").string(), 512, 512, RGBQUAD{40, 20, 10, 255});

    writeImage((textures / "granite.JPG").string(), 8, 8, RGBQUAD{100, 110, 120, 255}, FIF_JPEG);
    writeGrey16Png((textures / "grey16.png").string(), 8, 8, 0x9000);
    writeLyingPng((textures / "huge.png").string(), 60000, 60000);
    writeImage((textures / "bump.png").string(), 8, 8, RGBQUAD{255, 128, 128, 255});
    fs::create_directory(textures / "folder.png");

    SceneBuilder b;
    std::vector<NodeSpec> nodes;
    for (const char* texture : {"aaa", "granite.JPG", "grey16.png", "huge.png", "folder.png"}) {
        const unsigned m = b.material({.name = texture, .diffuseTexture = texture, .normalTexture = "bump.png"});
        nodes.push_back({std::string("object-") + texture, {b.square(m, 2.0f)}, {0, 0, -5}});
    }
    nodes.push_back(nodeChain("deep", 3000, b.square(b.material({.name = "plain"}), 0.5f)));
    b.root({"root", {}, {}, nodes});
    if (!b.exportCollada((target / "Data" / "ThalvekF.dae").string()))
        return 1;
    for (const char* written : {"granite.JPG", "grey16.png", "huge.png", "bump.png"})
        if (!fs::is_regular_file(textures / written)) {
            std::cerr << "could not write " << written << "\n";
            return 1;
        }
    return 0;
}
