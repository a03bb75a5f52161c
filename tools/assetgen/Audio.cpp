#include "Audio.h"

#include <algorithm>
#include <cmath>

namespace assetgen::audio {

namespace {

constexpr float kPi = 3.14159265f;

struct Coefficients {
    float b0, b1, b2, a0, a1, a2;
};

} // namespace

Biquad Biquad::lowpass(float frequency, float q) {
    const float w = 2.0f * kPi * frequency / kSampleRate, alpha = std::sin(w) / (2.0f * q), c = std::cos(w);
    const Coefficients k{(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    Biquad f;
    f.b0 = k.b0 / k.a0, f.b1 = k.b1 / k.a0, f.b2 = k.b2 / k.a0, f.a1 = k.a1 / k.a0, f.a2 = k.a2 / k.a0;
    return f;
}

Biquad Biquad::highpass(float frequency, float q) {
    const float w = 2.0f * kPi * frequency / kSampleRate, alpha = std::sin(w) / (2.0f * q), c = std::cos(w);
    const Coefficients k{(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    Biquad f;
    f.b0 = k.b0 / k.a0, f.b1 = k.b1 / k.a0, f.b2 = k.b2 / k.a0, f.a1 = k.a1 / k.a0, f.a2 = k.a2 / k.a0;
    return f;
}

Biquad Biquad::bandpass(float frequency, float q) {
    const float w = 2.0f * kPi * frequency / kSampleRate, alpha = std::sin(w) / (2.0f * q), c = std::cos(w);
    const Coefficients k{alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
    Biquad f;
    f.b0 = k.b0 / k.a0, f.b1 = k.b1 / k.a0, f.b2 = k.b2 / k.a0, f.a1 = k.a1 / k.a0, f.a2 = k.a2 / k.a0;
    return f;
}

void filterLoop(Signal& loop, Biquad filter) {
    for (float x : loop) filter.process(x);
    for (float& x : loop) x = filter.process(x);
}

Reverb::Reverb(float roomSize, float damp) : feedback(roomSize), damping(damp) {
    static const int combDelays[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allpassDelays[] = {556, 441, 341, 225};
    constexpr int stereoSpread = 23;
    for (int c = 0; c < 2; ++c) {
        for (int d : combDelays) combs[c].push_back({std::vector<float>(d + c * stereoSpread, 0.0f)});
        for (int d : allpassDelays) allpasses[c].push_back({std::vector<float>(d + c * stereoSpread, 0.0f)});
    }
}

float Reverb::channel(int c, float input) {
    float out = 0.0f;
    for (Comb& comb : combs[c]) {
        const float delayed = comb.line[comb.at];
        comb.store = delayed * (1.0f - damping) + comb.store * damping;
        comb.line[comb.at] = input + comb.store * feedback;
        comb.at = (comb.at + 1) % comb.line.size();
        out += delayed;
    }
    for (Allpass& allpass : allpasses[c]) {
        const float delayed = allpass.line[allpass.at];
        allpass.line[allpass.at] = out + delayed * 0.5f;
        allpass.at = (allpass.at + 1) % allpass.line.size();
        out = delayed - out;
    }
    return out;
}

void Reverb::processLoop(Signal& stereo, float wet) {
    constexpr float inputGain = 0.015f;
    const std::size_t frames = stereo.size() / 2;
    // First pass only fills the delay lines with the loop's own tail.
    for (std::size_t i = 0; i < frames; ++i) {
        const float mono = (stereo[2 * i] + stereo[2 * i + 1]) * inputGain;
        channel(0, mono);
        channel(1, mono);
    }
    for (std::size_t i = 0; i < frames; ++i) {
        const float mono = (stereo[2 * i] + stereo[2 * i + 1]) * inputGain;
        const float left = channel(0, mono), right = channel(1, mono);
        stereo[2 * i] += wet * left;
        stereo[2 * i + 1] += wet * right;
    }
}

void normalisePeak(Signal& signal, float peak) {
    float largest = 0.0f;
    for (float x : signal) largest = std::max(largest, std::abs(x));
    if (largest <= 0.0f) return;
    const float gain = peak / largest;
    for (float& x : signal) x *= gain;
}

float rms(const Signal& signal) {
    double sum = 0.0;
    for (float x : signal) sum += double(x) * x;
    return static_cast<float>(std::sqrt(sum / std::max<std::size_t>(signal.size(), 1)));
}

} // namespace assetgen::audio
