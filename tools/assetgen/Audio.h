#pragma once
// Sample buffers and the few signal-processing parts the sounds are made
// of. A sound here is one period of a loop: filters and the reverb run over
// it twice and keep the second pass, so the output continues from its own
// end into its start without a seam.

#include <cstdint>
#include <vector>

namespace assetgen::audio {

inline constexpr int kSampleRate = 44100;

using Signal = std::vector<float>;

// A two-pole section in the form of the RBJ audio-EQ cookbook.
class Biquad {
public:
    static Biquad lowpass(float frequency, float q);
    static Biquad highpass(float frequency, float q);
    static Biquad bandpass(float frequency, float q);

    float process(float x) {
        const float y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// Runs a filter over a loop so that its state at the start is the state
// the end leaves behind.
void filterLoop(Signal& loop, Biquad filter);

// A stereo reverberator after Schroeder and Moorer (the layout of the public
// domain Freeverb): parallel damped combs into series all-passes per
// channel, the right channel's delays spread a little for width.
class Reverb {
public:
    Reverb(float roomSize, float damping);
    // Reverberates an interleaved stereo loop in place; `wet` is the level of
    // the reverberated signal added to the dry one.
    void processLoop(Signal& stereo, float wet);

private:
    struct Comb {
        std::vector<float> line;
        std::size_t at = 0;
        float store = 0.0f;
    };
    struct Allpass {
        std::vector<float> line;
        std::size_t at = 0;
    };
    float channel(int c, float input);

    float feedback, damping;
    std::vector<Comb> combs[2];
    std::vector<Allpass> allpasses[2];
};

// Scales a signal so its largest magnitude is `peak`.
void normalisePeak(Signal& signal, float peak);

float rms(const Signal& signal);

} // namespace assetgen::audio
