#pragma once
// The recorder's command line, and the arithmetic that ties frames to sound
// samples. Picture and sound advance in fixed steps of one frame, so each
// frame gets the samples between its start and the next frame's start,
// rounded down on a common sample clock: when the sample rate is not a
// multiple of the frame rate the frames alternate between two counts and the
// total never drifts from the picture.

#include <optional>
#include <string>
#include <vector>

namespace recorder {

// The tour lasts 50 seconds before it starts over.
inline constexpr double kTourSeconds = 50.0;

struct RecordOptions {
    std::string output = "tour.mp4";
    int width = 1280;
    int height = 720;
    int fps = 30;
    double start = 0.0;          // seconds into the tour
    std::optional<double> length; // seconds; unset: to the end of the tour
    std::optional<int> camera;    // a fixed camera instead of the tour
    bool lossless = false;        // RGB H.264 at quantiser 0, for exact comparisons
    bool noOutput = false;        // render and mix, but read nothing back and write nothing
    float scale = 1.0f;           // the scene drawn at this share of the picture's size, scaled up
    bool help = false;
};

struct ParsedOptions {
    std::optional<RecordOptions> options; // unset on error
    std::string error;                    // one line, without the program name
};

// Options as `--name VALUE` or `--name=VALUE`; a later option overrides an
// earlier one. Sizes are checked here against what ffmpeg's H.264 encoder
// takes (even, positive, at most 16384 a side, and ffmpeg's limit on a
// picture's bytes); the GL limits are checked once there is a context.
ParsedOptions parseOptions(const std::vector<std::string>& arguments);

std::string usageText();

// Which frames of the fixed-step timeline a recording covers: frame k shows
// the scene after k + 1 steps of 1/fps seconds.
struct FrameRange {
    long first = 0; // frames stepped through, unrecorded, before the recording
    long count = 0; // frames recorded
};
FrameRange frameRangeOf(const RecordOptions& options);

// Sound samples (per channel) from the start of the timeline to the start of
// frame `frame`: floor(frame * rate / fps).
long long samplesBefore(long frame, int sampleRate, int fps);
// Samples that belong to frame `frame`.
int samplesOfFrame(long frame, int sampleRate, int fps);

} // namespace recorder
