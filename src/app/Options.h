#pragma once
// The program's command line, read before GLFW starts so that --help,
// --version and every malformed option end the process without a window.
// What can only be judged against the display (whether a monitor exists,
// whether a window size is within the driver's limits) is refused later,
// in the same words, by refusal().

#include <optional>
#include <string>
#include <vector>

// The exit status of a command line that cannot be followed.
inline constexpr int kExitUsage = 2;

struct Options {
    // A decorated, resizable window of this client size instead of full
    // screen.
    bool windowed = false;
    int windowWidth = 0;
    int windowHeight = 0;
    // The monitor in GLFW's list, counted from 1; 0 for the primary monitor.
    int monitor = 0;
    // Where F12 writes; empty for the user's pictures folder.
    std::string screenshotFolder;
    // --vsync on|off: the swap interval to ask for (1 or 0). Unset, none is
    // asked for, except by the benchmark, which asks for 0.
    std::optional<bool> vsync;
    // --benchmark: the tour once, timed (see Benchmark.h), for this many
    // seconds of it, with each frame's time written to the CSV file when
    // one is named.
    bool benchmark = false;
    double benchmarkLength = 50.0;
    std::string benchmarkCsv;
    // The scene's targets at this share of the framebuffer's size in each
    // direction, scaled up to the window; 1 draws every pixel.
    float renderScale = 1.0f;
};

// The range --scale takes (thalvek-record's too).
inline constexpr float kLeastRenderScale = 0.25f;
inline constexpr float kMostRenderScale = 1.0f;

// `text` as a render scale within that range; false for anything else.
bool parseRenderScale(const std::string& text, float& scale);

struct CommandLine {
    Options options;
    // When set, the program prints `out` and `err` and exits with
    // `exitStatus` before opening anything.
    bool exitNow = false;
    int exitStatus = 0;
    std::string out;
    std::string err;
};

// `arguments` without the program name. Both `--option value` and
// `--option=value`; a later option overrides an earlier one; --help and
// --version answer at once, whatever follows them.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The two lines for standard error that refuse a command line: the problem,
// then where to read more.
std::string refusal(const std::string& problem);

// `text` as a message shows it, on the line it belongs to: control
// characters are written as escapes ("\n", "\t", "\r", "\x1b").
std::string shownInMessage(const std::string& text);

// "WIDTHxHEIGHT".
std::string sizeText(int width, int height);

// The default screenshot folder, from what `xdg-user-dir PICTURES` printed
// (empty when it is missing or failed), $HOME, whether $HOME/Pictures is a
// folder, and the folder the user started the command in (for when there
// is no $HOME).
std::string picturesFolder(const std::string& xdgAnswer, const std::string& home, bool homePicturesIsFolder,
                           const std::string& startFolder);

// The variable in which the installed command's launcher, which changes
// into the program's bin/ folder, passes on the folder it was started in.
inline constexpr const char* kStartFolderVariable = "THALVEK_STARTED_IN";
