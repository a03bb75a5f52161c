// The generator is a pure function of its code: run again into a fresh
// folder, it writes byte for byte the files the build put in the run-time
// tree.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Determinism, SecondRunWritesIdenticalFiles) {
    const fs::path runtime = fs::absolute("..");
    const fs::path rerun = fs::temp_directory_path() / ("thalvek-assets-rerun-" + std::to_string(getpid()));
    fs::remove_all(rerun);
    const std::string command = std::string("\"") + THALVEK_ASSETGEN_PATH + "\" \"" + rerun.string() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    int compared = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(rerun)) {
        if (!entry.is_regular_file()) continue;
        const fs::path relative = fs::relative(entry.path(), rerun);
        const fs::path built = runtime / relative;
        ASSERT_TRUE(fs::is_regular_file(built)) << relative;
        EXPECT_TRUE(contents(entry.path()) == contents(built)) << relative << " differs between runs";
        ++compared;
    }
    // The scene, 14 scene textures, 4 effect textures, 6 sky faces, 2 sounds,
    // the icon.
    EXPECT_GE(compared, 28);
    fs::remove_all(rerun);
}

} // namespace
