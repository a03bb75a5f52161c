// The command line: what it accepts in both spellings, and every refusal
// with its status and the exact line that names the problem.

#include "app/Options.h"
#include "app/WindowMode.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    std::vector<std::string> arguments;
    int status;          // -1: the program runs
    std::string line;    // the refusal's first line, or the start of standard output
};

} // namespace

TEST(Options, EachCommandLineIsFollowedOrRefusedInOneLine) {
    const Case cases[] = {
        {{}, -1, ""},
        {{"--window", "640x360"}, -1, ""},
        {{"--window=640x360", "--monitor=2", "--screenshots=/tmp/shots"}, -1, ""},
        {{"--window", "640x360", "--fullscreen"}, -1, ""},
        {{"--scale", "0.25"}, -1, ""},
        {{"--scale=1"}, -1, ""},
        {{"--help"}, 0, "Usage: thalvek [OPTIONS]"},
        {{"--version", "--bogus"}, 0, "Thalvek 0.3.0\n"},
        {{"--bogus"}, 2, "thalvek: unknown option '--bogus'"},
        {{"-w"}, 2, "thalvek: unknown option '-w'"},
        {{"640x360"}, 2, "thalvek: unexpected argument '640x360'"},
        {{"--window"}, 2, "thalvek: option '--window' needs a value"},
        {{"--window", "--fullscreen"}, 2, "thalvek: option '--window' needs a value"},
        {{"--monitor"}, 2, "thalvek: option '--monitor' needs a value"},
        {{"--screenshots"}, 2, "thalvek: option '--screenshots' needs a value"},
        {{"--screenshots="}, 2, "thalvek: option '--screenshots' needs a folder"},
        {{"--window", "0x0"}, 2, "thalvek: invalid window size '0x0' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--window=640x0"}, 2, "thalvek: invalid window size '640x0' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--window", "-640x360"}, 2,
         "thalvek: invalid window size '-640x360' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--window", "640x360x2"}, 2,
         "thalvek: invalid window size '640x360x2' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--window", "99999999999x360"}, 2,
         "thalvek: invalid window size '99999999999x360' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--window="}, 2, "thalvek: invalid window size '' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--monitor", "0"}, 2, "thalvek: invalid monitor number '0' (the first monitor is 1)"},
        {{"--monitor=two"}, 2, "thalvek: invalid monitor number 'two' (the first monitor is 1)"},
        {{"--fullscreen=yes"}, 2, "thalvek: option '--fullscreen' takes no value"},
        {{"--scale"}, 2, "thalvek: option '--scale' needs a value"},
        {{"--scale", "0.24"}, 2, "thalvek: invalid render scale '0.24' (expected a number from 0.25 to 1)"},
        {{"--scale=1.01"}, 2, "thalvek: invalid render scale '1.01' (expected a number from 0.25 to 1)"},
        {{"--scale=-0.5"}, 2, "thalvek: invalid render scale '-0.5' (expected a number from 0.25 to 1)"},
        {{"--scale=half"}, 2, "thalvek: invalid render scale 'half' (expected a number from 0.25 to 1)"},
        {{"--scale=nan"}, 2, "thalvek: invalid render scale 'nan' (expected a number from 0.25 to 1)"},
        {{"--scale=0.5x"}, 2, "thalvek: invalid render scale '0.5x' (expected a number from 0.25 to 1)"},
        {{"--scale="}, 2, "thalvek: invalid render scale '' (expected a number from 0.25 to 1)"},
        {{"--help=me"}, 2, "thalvek: option '--help' takes no value"},
        // Control characters in what is echoed would break the line.
        {{"--window", "12\n34"}, 2,
         "thalvek: invalid window size '12\\n34' (expected WIDTHxHEIGHT, such as 1280x720)"},
        {{"--monitor=\t\x1b[2J"}, 2, "thalvek: invalid monitor number '\\t\\x1b[2J' (the first monitor is 1)"},
        {{"--bo\rgus=1"}, 2, "thalvek: unknown option '--bo\\rgus'"},
        {{"\x7f"}, 2, "thalvek: unexpected argument '\\x7f'"},
        {{"--vsync", "on"}, -1, ""},
        {{"--vsync=off", "--benchmark", "--benchmark-csv", "f.csv", "--benchmark-length=2.5"}, -1, ""},
        {{"--vsync"}, 2, "thalvek: option '--vsync' needs a value"},
        {{"--vsync=yes"}, 2, "thalvek: invalid vsync setting 'yes' (expected on or off)"},
        {{"--vsync", "1"}, 2, "thalvek: invalid vsync setting '1' (expected on or off)"},
        {{"--benchmark=1"}, 2, "thalvek: option '--benchmark' takes no value"},
        {{"--benchmark", "--benchmark-csv="}, 2, "thalvek: option '--benchmark-csv' needs a file"},
        {{"--benchmark", "--benchmark-length", "0.5"}, 2,
         "thalvek: invalid benchmark length '0.5' (expected seconds from 1 to 50)"},
        {{"--benchmark", "--benchmark-length=51"}, 2,
         "thalvek: invalid benchmark length '51' (expected seconds from 1 to 50)"},
        {{"--benchmark", "--benchmark-length=nan"}, 2,
         "thalvek: invalid benchmark length 'nan' (expected seconds from 1 to 50)"},
        {{"--benchmark-csv", "f.csv"}, 2, "thalvek: option '--benchmark-csv' needs --benchmark"},
        {{"--benchmark-length", "50"}, 2, "thalvek: option '--benchmark-length' needs --benchmark"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments)
            shown += argument + " ";
        SCOPED_TRACE(shown);
        const CommandLine result = parseCommandLine(c.arguments);
        if (c.status < 0) {
            EXPECT_FALSE(result.exitNow) << result.err;
            continue;
        }
        ASSERT_TRUE(result.exitNow);
        EXPECT_EQ(result.exitStatus, c.status);
        if (c.status == 0) {
            EXPECT_EQ(result.out.rfind(c.line, 0), 0u) << result.out;
            EXPECT_EQ(result.err, "");
        } else {
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, c.line + "\nTry 'thalvek --help' for more information.\n");
        }
    }
}

TEST(Options, ValuesInBothSpellingsAndTheLastOneWins) {
    const Options window = parseCommandLine({"--window=640x360", "--monitor", "2", "--screenshots", "shots"}).options;
    EXPECT_TRUE(window.windowed);
    EXPECT_EQ(window.windowWidth, 640);
    EXPECT_EQ(window.windowHeight, 360);
    EXPECT_EQ(window.monitor, 2);
    EXPECT_EQ(window.screenshotFolder, "shots");
    EXPECT_FALSE(parseCommandLine({"--window", "640x360", "--fullscreen"}).options.windowed);
    const Options twice = parseCommandLine({"--window", "640x360", "--window=800x450"}).options;
    EXPECT_EQ(twice.windowWidth, 800);
    EXPECT_EQ(twice.windowHeight, 450);
    EXPECT_EQ(parseCommandLine({"--scale=0.75", "--scale", "0.5"}).options.renderScale, 0.5f);
    const Options defaults = parseCommandLine({}).options;
    EXPECT_FALSE(defaults.windowed);
    EXPECT_EQ(defaults.monitor, 0);
    EXPECT_EQ(defaults.screenshotFolder, "");
    EXPECT_FALSE(defaults.vsync.has_value());
    EXPECT_FALSE(defaults.benchmark);
    EXPECT_EQ(defaults.benchmarkLength, 50.0);

    EXPECT_EQ(parseCommandLine({"--vsync", "on"}).options.vsync, true);
    EXPECT_EQ(parseCommandLine({"--vsync=on", "--vsync=off"}).options.vsync, false);
    const Options benchmark =
        parseCommandLine({"--benchmark", "--benchmark-csv=f.csv", "--benchmark-length", "2.5"}).options;
    EXPECT_TRUE(benchmark.benchmark);
    EXPECT_EQ(benchmark.benchmarkCsv, "f.csv");
    EXPECT_EQ(benchmark.benchmarkLength, 2.5);
    EXPECT_EQ(defaults.renderScale, 1.0f);
}

TEST(Options, PicturesFolderFallsBackToHome) {
    EXPECT_EQ(picturesFolder("/home/ada/Bilder\n", "/home/ada", true, "/w"), "/home/ada/Bilder");
    // xdg-user-dir answers $HOME itself when no pictures folder is set up.
    EXPECT_EQ(picturesFolder("/home/ada\n", "/home/ada", true, "/w"), "/home/ada/Pictures");
    EXPECT_EQ(picturesFolder("", "/home/ada/", true, "/w"), "/home/ada/Pictures");
    EXPECT_EQ(picturesFolder("", "/home/ada", false, "/w"), "/home/ada");
    // Without $HOME xdg-user-dir prints an empty line; the program's own
    // folder is no place for pictures.
    EXPECT_EQ(picturesFolder("\n", "", false, "/home/ada/work"), "/home/ada/work");
}

TEST(Options, AWindowAtTheDriversLimitFits) {
    const PictureLimits limits{16384, 8192};
    EXPECT_EQ(sizeBeyondLimits(16384, 8192, limits), "");
    EXPECT_EQ(sizeBeyondLimits(16385, 8192, limits), "window size 16385x8192 is beyond this driver's limit of 16384x8192");
    EXPECT_NE(sizeBeyondLimits(640, 8193, limits), "");
}
