// Screenshot files: a name that is taken is never overwritten, a folder
// that cannot take the file is named with the reason, and without $HOME the
// pictures go where the user started the command.

#include "app/Options.h"
#include "app/Screenshots.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(Screenshots, ATakenNameGetsTheNextNumberAndStaysAsItWas) {
    const fs::path folder = fs::temp_directory_path() / ("thalvek-shots-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::tm takenAt{};
    takenAt.tm_year = 2024 - 1900;
    takenAt.tm_mon = 2;
    takenAt.tm_mday = 7;
    takenAt.tm_hour = 21;
    takenAt.tm_min = 5;
    takenAt.tm_sec = 9;
    EXPECT_EQ(screenshotFileName(takenAt, 1), "thalvek-20240307-210509.png");
    std::ofstream(folder / "thalvek-20240307-210509.png") << "the user's own file";

    std::string path, reason;
    ASSERT_TRUE(writeNewFile(folder.string(), takenAt, {'P', 'N', 'G'}, path, reason)) << reason;
    EXPECT_EQ(path, (folder / "thalvek-20240307-210509-2.png").string());
    EXPECT_EQ(contents(path), "PNG");
    EXPECT_EQ(contents(folder / "thalvek-20240307-210509.png"), "the user's own file");
    ASSERT_TRUE(writeNewFile(folder.string(), takenAt, {'P'}, path, reason)) << reason;
    EXPECT_EQ(path, (folder / "thalvek-20240307-210509-3.png").string());

    const fs::path missing = folder / "missing";
    EXPECT_FALSE(writeNewFile(missing.string(), takenAt, {'P'}, path, reason));
    EXPECT_EQ(path, (missing / "thalvek-20240307-210509.png").string());
    EXPECT_EQ(reason, "No such file or directory");
    fs::remove_all(folder);
}

TEST(Screenshots, WithoutHomeTheyGoWhereTheCommandWasStarted) {
    // In a child each: the folder is found once per process.
    const auto defaultFolder = [](const char* startedIn) {
        return testing_support::runInChild([startedIn] {
            ::unsetenv("HOME");
            ::unsetenv("XDG_CONFIG_HOME");
            if (startedIn != nullptr)
                ::setenv(kStartFolderVariable, startedIn, 1);
            else
                ::unsetenv(kStartFolderVariable);
            std::fputs(defaultScreenshotFolder().c_str(), stdout);
        });
    };
    EXPECT_EQ(defaultFolder("/home/ada/started here").out, "/home/ada/started here") << "the launcher's word";
    EXPECT_EQ(defaultFolder(nullptr).out, fs::current_path().string()) << "started where it runs";
}
