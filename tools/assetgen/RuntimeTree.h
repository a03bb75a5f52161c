#pragma once
// Where the generated files go: the folders beside bin/ that the program
// opens relative to its working directory, and the desktop icon, which only
// the installed package uses.

#include <filesystem>

namespace assetgen {

struct RuntimeTree {
    std::filesystem::path root;

    std::filesystem::path sceneFile() const { return root / "Data" / "ThalvekF.dae"; }
    std::filesystem::path sceneTextures() const { return root / "Textures" / "new"; }
    std::filesystem::path effectTextures() const { return root / "Textures"; }
    std::filesystem::path skyFaces() const { return root / "Textures" / "skybox"; }
    std::filesystem::path sounds() const { return root / "SFX"; }
    std::filesystem::path icon() const { return root / "icons" / "thalvek.png"; }
};

} // namespace assetgen
