#include "RecordOptions.h"

#include "app/Options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>

namespace recorder {

namespace {

// A day of frames is far beyond any sensible recording and keeps every
// product of frames and samples well inside 64 bits.
constexpr double kMaxSeconds = 24.0 * 3600.0;

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && rest == end;
}

bool parseSeconds(const std::string& text, double& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    return x != std::string::npos && parseInt(text.substr(0, x), width) && parseInt(text.substr(x + 1), height);
}

// libx264 takes at most 16384 pixels a side.
constexpr int kMaxEncoderSide = 16384;

// ffmpeg refuses a picture whose rows, counted at 8 bytes a pixel plus a
// margin of 128 pixels, and 128 rows more, reach 2^31 bytes: it would say
// so only after the first frame had rendered, which at such sizes takes
// minutes and gigabytes.
bool ffmpegTakesPicture(int width, int height) {
    const std::int64_t stride = 8 * static_cast<std::int64_t>(width) + 128 * 8;
    return stride * (static_cast<std::int64_t>(height) + 128) < INT_MAX;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    RecordOptions options;
    auto fail = [](std::string message) { return ParsedOptions{std::nullopt, std::move(message)}; };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        auto flag = [&](bool& target) {
            if (inlineValue)
                return false;
            target = true;
            return true;
        };
        if (name == "--help" || name == "-h") {
            if (!flag(options.help))
                return fail(name + " takes no value");
            continue;
        }
        if (name == "--lossless") {
            if (!flag(options.lossless))
                return fail(name + " takes no value");
            continue;
        }
        if (name == "--no-output") {
            if (!flag(options.noOutput))
                return fail(name + " takes no value");
            continue;
        }

        const bool takesValue = name == "--output" || name == "--size" || name == "--fps" || name == "--start" ||
                                name == "--length" || name == "--camera" || name == "--scale";
        if (!takesValue)
            return fail("unknown option '" + arguments[i] + "'");
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else {
            if (i + 1 >= arguments.size())
                return fail(name + " needs a value");
            value = arguments[++i];
        }

        if (name == "--output") {
            if (value.empty())
                return fail("--output needs a file name");
            options.output = value;
        } else if (name == "--size") {
            int width = 0, height = 0;
            if (!parseSize(value, width, height))
                return fail("--size " + value + ": expected WIDTHxHEIGHT in pixels, such as 1280x720");
            // H.264 in 4:2:0 halves both directions for the colour planes.
            if (width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0)
                return fail("--size " + value + ": width and height must be even numbers of pixels above 0");
            if (width > kMaxEncoderSide || height > kMaxEncoderSide)
                return fail("--size " + value + ": the H.264 encoder takes at most " +
                            std::to_string(kMaxEncoderSide) + " pixels a side");
            if (!ffmpegTakesPicture(width, height)) {
                int largest = height;
                while (largest > 0 && !ffmpegTakesPicture(width, largest))
                    largest -= 2;
                return fail("--size " + value + ": a larger picture than ffmpeg takes (at " + std::to_string(width) +
                            " wide, at most " + std::to_string(largest) + " high)");
            }
            options.width = width;
            options.height = height;
        } else if (name == "--fps") {
            int fps = 0;
            if (!parseInt(value, fps) || fps < 1 || fps > 240)
                return fail("--fps " + value + ": expected a whole number of frames per second from 1 to 240");
            options.fps = fps;
        } else if (name == "--start") {
            double start = 0.0;
            if (!parseSeconds(value, start) || start < 0.0 || start > kMaxSeconds)
                return fail("--start " + value + ": expected seconds from 0");
            options.start = start;
        } else if (name == "--length") {
            double length = 0.0;
            if (!parseSeconds(value, length) || length <= 0.0 || length > kMaxSeconds)
                return fail("--length " + value + ": expected seconds above 0");
            options.length = length;
        } else if (name == "--camera") {
            int camera = 0;
            if (!parseInt(value, camera) || camera < 0)
                return fail("--camera " + value + ": expected a camera number from 0");
            options.camera = camera;
        } else if (name == "--scale") {
            if (!parseRenderScale(value, options.scale))
                return fail("--scale " + shownInMessage(value) + ": expected a number from 0.25 to 1");
        }
    }
    return {options, {}};
}

std::string usageText() {
    std::ostringstream text;
    text << "Usage: thalvek-record [OPTIONS]\n"
            "Records the demo's camera tour, picture and sound, as an MP4 file (H.264 video,\n"
            "AAC audio). Every frame is a fixed step of 1/FPS seconds however long it takes\n"
            "to render, so the video plays at full speed on any machine. Needs a display\n"
            "(a virtual one will do: scripts/record.sh starts one) and the ffmpeg program.\n"
            "\n"
            "  --output FILE     the MP4 file to write (default tour.mp4); a file already\n"
            "                    there is replaced once the new one is complete\n"
            "  --size WxH        picture size in pixels, even numbers up to 16384 (default\n"
            "                    1280x720)\n"
            "  --fps N           frames per second, 1 to 240 (default 30)\n"
            "  --start SECONDS   where the recording starts on the tour's timeline (default 0)\n"
            "  --length SECONDS  how much to record (default: to the end of the 50 s tour)\n"
            "  --camera N        hold camera N (0 is the first) still instead of the tour\n"
            "  --scale F         draw the scene at F (0.25 to 1) times the picture's size in\n"
            "                    each direction and scale it up: faster, less sharp\n"
            "                    (default 1)\n"
            "  --lossless        RGB H.264 at quantiser 0: every pixel exactly as rendered\n"
            "                    (large files that few players show; for comparisons)\n"
            "  --no-output       render and mix every frame, but read nothing back and write\n"
            "                    no file; against a real recording's time per frame, it\n"
            "                    shows what reading back and encoding cost\n"
            "  --help            this text\n"
            "\n"
            "Progress shows frames done, frames per second and the time left. Ctrl-C stops\n"
            "the recording and still finishes FILE with the frames recorded so far.\n"
            "Two recordings with the same options have the same frames.\n";
    return text.str();
}

FrameRange frameRangeOf(const RecordOptions& options) {
    FrameRange range;
    range.first = std::lround(options.start * options.fps);
    double length = options.length.value_or(0.0);
    if (!options.length) {
        const double left = kTourSeconds - options.start;
        length = left > 0.0 ? left : kTourSeconds;
    }
    range.count = std::max(1L, std::lround(length * options.fps));
    return range;
}

long long samplesBefore(long frame, int sampleRate, int fps) {
    return static_cast<long long>(frame) * sampleRate / fps;
}

int samplesOfFrame(long frame, int sampleRate, int fps) {
    return static_cast<int>(samplesBefore(frame + 1, sampleRate, fps) - samplesBefore(frame, sampleRate, fps));
}

} // namespace recorder
