#include "app/Options.h"

#include <charconv>
#include <optional>

#ifndef THALVEK_VERSION
#error "THALVEK_VERSION comes from the project's version in CMakeLists.txt"
#endif

namespace {

constexpr const char* kUsage =
    "Usage: thalvek [OPTIONS]\n"
    "A night clearing with a campfire and a pool, in real time. It runs full screen on\n"
    "the primary monitor unless told otherwise, and reads its data from ../Shader,\n"
    "../Data, ../Textures and ../SFX, relative to the folder it runs in: the installed\n"
    "command runs in its own bin/ folder wherever it is started, a build's program\n"
    "must be started in the build's bin/ folder.\n"
    "\n"
    "  --window WxH       a window of W x H pixels instead of full screen\n"
    "  --fullscreen       full screen at the monitor's resolution (the default)\n"
    "  --monitor N        the Nth monitor, counted from 1 (default: the primary one)\n"
    "  --screenshots DIR  where F12 saves its pictures (default: your pictures folder)\n"
    "  --vsync on|off     wait for the display's refresh before each frame, or not\n"
    "                     (default: as the driver does; off for --benchmark)\n"
    "  --benchmark        play the 50-second camera tour once in real time, then print\n"
    "                     the frame rates; Escape stops it (exit status 1)\n"
    "  --benchmark-csv FILE\n"
    "                     with --benchmark: each frame's tour time, frame time and\n"
    "                     camera, one CSV row a frame\n"
    "  --benchmark-length SECONDS\n"
    "                     with --benchmark: play only the tour's first SECONDS\n"
    "                     (1 to 50, default 50)\n"
    "  --scale F          draw the scene at F (0.25 to 1) times the window's size in\n"
    "                     each direction and scale it up: faster without a GPU,\n"
    "                     less sharp (default: 1)\n"
    "  --help             this text\n"
    "  --version          the program's name and version\n"
    "\n"
    "Keys: W A S D fly, the mouse turns (in a window: while the right button is held),\n"
    "Enter starts the camera tour, F11 switches between window and full screen,\n"
    "F12 saves a screenshot, Escape quits.\n";

bool parsePositive(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && text.front() != '-' && error == std::errc() && rest == end && value > 0;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    return x != std::string::npos && parsePositive(text.substr(0, x), width) &&
           parsePositive(text.substr(x + 1), height);
}

bool parseSeconds(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    return !text.empty() && error == std::errc() && rest == end;
}

// An option that sets something: its value (empty for a flag) goes into
// the options, or the problem comes back.
using Setter = std::string (*)(const std::string& value, Options& options);

struct OptionRule {
    const char* name;
    bool takesValue;
    Setter set;
};

// Every option the program takes: a new one is a row here and a line in
// kUsage.
const OptionRule kOptionRules[] = {
    {"--window", true,
     [](const std::string& value, Options& options) -> std::string {
         int width = 0, height = 0;
         if (!parseSize(value, width, height))
             return "invalid window size '" + shownInMessage(value) + "' (expected WIDTHxHEIGHT, such as 1280x720)";
         options.windowed = true;
         options.windowWidth = width;
         options.windowHeight = height;
         return {};
     }},
    {"--fullscreen", false,
     [](const std::string&, Options& options) -> std::string {
         options.windowed = false;
         return {};
     }},
    {"--monitor", true,
     [](const std::string& value, Options& options) -> std::string {
         int monitor = 0;
         if (!parsePositive(value, monitor))
             return "invalid monitor number '" + shownInMessage(value) + "' (the first monitor is 1)";
         options.monitor = monitor;
         return {};
     }},
    {"--screenshots", true,
     [](const std::string& value, Options& options) -> std::string {
         if (value.empty())
             return "option '--screenshots' needs a folder";
         options.screenshotFolder = value;
         return {};
     }},
    {"--vsync", true,
     [](const std::string& value, Options& options) -> std::string {
         if (value != "on" && value != "off")
             return "invalid vsync setting '" + shownInMessage(value) + "' (expected on or off)";
         options.vsync = value == "on";
         return {};
     }},
    {"--benchmark", false,
     [](const std::string&, Options& options) -> std::string {
         options.benchmark = true;
         return {};
     }},
    {"--benchmark-csv", true,
     [](const std::string& value, Options& options) -> std::string {
         if (value.empty())
             return "option '--benchmark-csv' needs a file";
         options.benchmarkCsv = value;
         return {};
     }},
    {"--benchmark-length", true,
     [](const std::string& value, Options& options) -> std::string {
         double seconds = 0.0;
         // Written so that NaN fails too.
         if (!parseSeconds(value, seconds) || !(seconds >= 1.0 && seconds <= 50.0))
             return "invalid benchmark length '" + shownInMessage(value) + "' (expected seconds from 1 to 50)";
         options.benchmarkLength = seconds;
         return {};
     }},
    {"--scale", true,
     [](const std::string& value, Options& options) -> std::string {
         if (!parseRenderScale(value, options.renderScale))
             return "invalid render scale '" + shownInMessage(value) + "' (expected a number from 0.25 to 1)";
         return {};
     }},
    // --help and --version answer at once; they set nothing.
    {"--help", false, nullptr},
    {"--version", false, nullptr},
};

CommandLine refuse(const std::string& problem) {
    CommandLine result;
    result.exitNow = true;
    result.exitStatus = kExitUsage;
    result.err = refusal(problem);
    return result;
}

CommandLine answer(std::string text) {
    CommandLine result;
    result.exitNow = true;
    result.out = std::move(text);
    return result;
}

} // namespace

bool parseRenderScale(const std::string& text, float& scale) {
    // A plain decimal number: no sign, no exponent, no "nan" or "inf".
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (error != std::errc() || rest != end || value < kLeastRenderScale || value > kMostRenderScale)
        return false;
    scale = value;
    return true;
}

std::string shownInMessage(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
            continue;
        }
        switch (c) {
        case '\n': shown += "\\n"; break;
        case '\r': shown += "\\r"; break;
        case '\t': shown += "\\t"; break;
        default: {
            static constexpr char kHex[] = "0123456789abcdef";
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 0xf];
        }
        }
    }
    return shown;
}

std::string refusal(const std::string& problem) {
    return "thalvek: " + problem + "\nTry 'thalvek --help' for more information.\n";
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    Options options;
    bool lengthGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument.size() < 2 || argument.front() != '-')
            return refuse("unexpected argument '" + shownInMessage(argument) + "'");
        std::string name = argument;
        std::optional<std::string> value;
        if (const auto equals = argument.find('='); equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }

        const OptionRule* rule = nullptr;
        for (const OptionRule& candidate : kOptionRules)
            if (name == candidate.name)
                rule = &candidate;
        if (rule == nullptr)
            return refuse("unknown option '" + shownInMessage(name) + "'");
        if (!rule->takesValue && value)
            return refuse("option '" + name + "' takes no value");
        // A value that looks like the next option means this one's value was
        // left out.
        if (rule->takesValue && !value) {
            if (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0)
                return refuse("option '" + name + "' needs a value");
            value = arguments[++i];
        }

        if (name == "--help")
            return answer(kUsage);
        if (name == "--version")
            return answer(std::string("Thalvek ") + THALVEK_VERSION + "\n");
        if (const std::string problem = rule->set(value.value_or(std::string()), options); !problem.empty())
            return refuse(problem);
        lengthGiven = lengthGiven || name == "--benchmark-length";
    }
    // Said without --benchmark, they would be ignored in silence.
    if (!options.benchmark && !options.benchmarkCsv.empty())
        return refuse("option '--benchmark-csv' needs --benchmark");
    if (!options.benchmark && lengthGiven)
        return refuse("option '--benchmark-length' needs --benchmark");
    CommandLine result;
    result.options = options;
    return result;
}

std::string picturesFolder(const std::string& xdgAnswer, const std::string& home, bool homePicturesIsFolder,
                           const std::string& startFolder) {
    std::string answer = xdgAnswer;
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r'))
        answer.pop_back();
    // xdg-user-dir answers $HOME itself when no pictures folder is set up;
    // that is not a pictures folder, and $HOME/Pictures may still be one.
    auto sameFolder = [](std::string a, std::string b) {
        while (a.size() > 1 && a.back() == '/')
            a.pop_back();
        while (b.size() > 1 && b.back() == '/')
            b.pop_back();
        return a == b;
    };
    if (!answer.empty() && !sameFolder(answer, home))
        return answer;
    // Not the folder the program runs in, which is inside its own tree.
    if (home.empty())
        return startFolder;
    if (homePicturesIsFolder)
        return home + (home.back() == '/' ? "" : "/") + "Pictures";
    return home;
}
