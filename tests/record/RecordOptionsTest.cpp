// The recorder's command line, and the samples each frame gets: the sound's
// total must stay exact when the sample rate is not a multiple of the frame
// rate, or picture and sound drift apart over a long recording.

#include "RecordOptions.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace recorder;

namespace {

ParsedOptions parse(std::vector<std::string> arguments) { return parseOptions(arguments); }

} // namespace

TEST(RecordOptions, DefaultsRecordTheWholeTourAt720pAnd30Fps) {
    const ParsedOptions parsed = parse({});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->width, 1280);
    EXPECT_EQ(parsed.options->height, 720);
    EXPECT_EQ(parsed.options->scale, 1.0f);
    const FrameRange range = frameRangeOf(*parsed.options);
    EXPECT_EQ(range.first, 0);
    EXPECT_EQ(range.count, 1500);
}

TEST(RecordOptions, ValuesInBothSpellingsAndTheLastOneWins) {
    const ParsedOptions parsed =
        parse({"--size=640x360", "--fps", "24", "--start", "20", "--camera=2", "--output", "a.mp4", "--output=b.mp4",
               "--scale=0.5"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->width, 640);
    EXPECT_EQ(parsed.options->height, 360);
    EXPECT_EQ(parsed.options->camera, 2);
    EXPECT_EQ(parsed.options->output, "b.mp4");
    EXPECT_EQ(parsed.options->scale, 0.5f);
    // By default the recording runs to the end of the tour.
    const FrameRange range = frameRangeOf(*parsed.options);
    EXPECT_EQ(range.first, 480);
    EXPECT_EQ(range.count, 720);
}

TEST(RecordOptions, BadValuesAreNamedInOneLine) {
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "0x720"}, {"--size", "321x180"}, {"--size", "big"}, {"--fps", "0"},     {"--fps", "2.5"},
        {"--length", "0"},   {"--start", "-1"},     {"--camera", "-1"}, {"--size"},        {"--colour", "red"},
        {"--lossless=yes"},  {"--output="},        {"--size", "16386x64"}, {"--size", "64x16386"},
        {"--scale", "0.2"},  {"--scale=2"},        {"--scale", "1e-1"},
        // Within 16384 a side, but more than ffmpeg takes in one picture.
        {"--size", "16384x16384"}, {"--size", "16130x16384"}};
    for (const auto& arguments : bad) {
        const ParsedOptions parsed = parse(arguments);
        EXPECT_FALSE(parsed.options) << arguments[0];
        EXPECT_NE(parsed.error.find(arguments[0].substr(0, arguments[0].find('='))), std::string::npos)
            << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

TEST(RecordOptions, TheLargestSizesTheEncoderTakesAreAccepted) {
    for (const char* size : {"16384x16128", "16128x16384", "16384x2", "2x16384"})
        EXPECT_TRUE(parse({"--size", size}).options) << size;
}

TEST(RecordOptions, EveryFrameGetsItsShareOfSamplesAndTheTotalIsExact) {
    const struct {
        int rate, fps;
        long first, count;
    } cases[] = {{48000, 30, 0, 1500}, {44100, 24, 0, 1200}, {48000, 7, 13, 701}, {48000, 240, 5, 999}};
    for (const auto& c : cases) {
        long long total = 0;
        const int low = c.rate / c.fps;
        for (long frame = c.first; frame < c.first + c.count; ++frame) {
            const int samples = samplesOfFrame(frame, c.rate, c.fps);
            EXPECT_TRUE(samples == low || samples == low + 1) << samples;
            total += samples;
        }
        // The sound lasts as long as the pictures, to within one sample.
        EXPECT_LT(std::abs(total - c.count * double(c.rate) / c.fps), 1.0) << c.rate << " Hz at " << c.fps << " fps";
    }
}
