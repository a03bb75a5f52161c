// The campfire: a low roar and a soft hiss of burning gas under random
// crackles, pops and sizzles. Every event is laid into the loop modulo its
// length, so an event that runs past the end continues at the start.

#include <algorithm>
#include <cmath>
#include <vector>

#include "Random.h"
#include "Sounds.h"

namespace assetgen::audio {

namespace {

constexpr float kTwoPi = 6.2831853f;

// Adds `event` into `loop` starting at `at`, wrapping round the end.
void layIn(Signal& loop, const Signal& event, std::size_t at) {
    for (std::size_t i = 0; i < event.size(); ++i) loop[(at + i) % loop.size()] += event[i];
}

// One crack of splitting wood: a few milliseconds of noise, rung through
// a resonance that sets its pitch.
Signal crack(Random& random, float loudness) {
    const float decay = random.range(0.0006f, 0.004f) * (0.6f + loudness);
    const std::size_t length = static_cast<std::size_t>(decay * 6.0f * kSampleRate) + 16;
    Biquad ring = Biquad::bandpass(random.range(1200.0f, 7000.0f), random.range(0.8f, 3.5f));
    Signal out(length);
    for (std::size_t i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float attack = std::min(1.0f, static_cast<float>(i) / 6.0f);
        out[i] = ring.process(random.range(-1.0f, 1.0f) * attack * std::exp(-t / decay)) * loudness * 2.5f;
    }
    return out;
}

// A pop: steam bursting from a pocket in the wood, a short low thump with a
// sharp click on top.
Signal pop(Random& random, float loudness) {
    const float frequency = random.range(120.0f, 380.0f);
    const float decay = random.range(0.008f, 0.025f);
    const std::size_t length = static_cast<std::size_t>(decay * 7.0f * kSampleRate);
    Biquad body = Biquad::lowpass(2500.0f, 0.7f);
    Signal out(length);
    float phase = 0.0f;
    for (std::size_t i = 0; i < length; ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        phase += kTwoPi * frequency * (1.0f - 0.4f * std::min(t / decay, 1.0f)) / kSampleRate;
        const float thump = std::sin(phase) * std::exp(-t / decay);
        const float click = random.range(-1.0f, 1.0f) * std::exp(-t / 0.0008f);
        out[i] = body.process(0.8f * thump + 0.6f * click) * loudness;
    }
    return out;
}

// A slow, irregular swell that still repeats exactly once per loop: a few
// sines with whole numbers of cycles per loop and random phases.
class LoopWobble {
public:
    LoopWobble(Random& random, int lowest, int highest) {
        for (int k = 0; k < 5; ++k)
            parts.push_back({static_cast<double>(lowest + random.below(highest - lowest + 1)), random.range(0.0f, kTwoPi),
                             random.range(0.4f, 1.0f)});
    }
    // In about [-1, 1] for `phase` running from 0 to 2 pi over the loop.
    float operator()(double phase) const {
        double sum = 0.0, norm = 0.0;
        for (const Part& p : parts) {
            sum += p.amplitude * std::sin(p.cycles * phase + p.offset);
            norm += p.amplitude;
        }
        return static_cast<float>(1.6 * sum / norm);
    }

private:
    struct Part {
        double cycles;
        float offset, amplitude;
    };
    std::vector<Part> parts;
};

void scaleTo(Signal& signal, float level) {
    const float current = rms(signal);
    for (float& x : signal) x *= level / current;
}

} // namespace

Signal crackling(float seconds, std::uint32_t seed) {
    Random random(seed);
    const std::size_t length = static_cast<std::size_t>(seconds * kSampleRate);
    const double period = static_cast<double>(length) / kSampleRate;

    // The bed: a low roar and the hiss of burning gas, filtered noise that
    // swells and fades irregularly.
    Signal roar(length), hiss(length);
    for (std::size_t i = 0; i < length; ++i) {
        roar[i] = random.range(-1.0f, 1.0f);
        hiss[i] = random.range(-1.0f, 1.0f);
    }
    filterLoop(roar, Biquad::lowpass(160.0f, 0.7f));
    filterLoop(roar, Biquad::lowpass(240.0f, 0.6f));
    filterLoop(hiss, Biquad::highpass(2500.0f, 0.6f));
    filterLoop(hiss, Biquad::lowpass(9000.0f, 0.7f));
    scaleTo(roar, 0.045f);
    scaleTo(hiss, 0.010f);
    const LoopWobble roarSwell(random, 2, 9), hissSwell(random, 5, 23);
    Signal fire(length);
    for (std::size_t i = 0; i < length; ++i) {
        const double phase = kTwoPi * (static_cast<double>(i) / kSampleRate) / period;
        fire[i] = roar[i] * (1.0f + 0.3f * roarSwell(phase)) + hiss[i] * (1.0f + 0.45f * hissSwell(phase));
    }

    // Crackles come in flurries: their rate wanders over the loop.
    const LoopWobble flurries(random, 3, 17);
    double t = 0.0;
    while (t < period) {
        const double rate = 16.0 * (1.0 + 0.8 * flurries(kTwoPi * t / period));
        t += random.exponential(1.0 / std::max(rate, 2.0));
        // Mostly small, now and then a loud one.
        const float loudness = 0.03f + 0.45f * std::pow(static_cast<float>(random.uniform()), 4.0f);
        layIn(fire, crack(random, loudness), static_cast<std::size_t>(t * kSampleRate));
    }
    for (double at = random.exponential(1.4); at < period; at += random.exponential(1.4))
        layIn(fire, pop(random, random.range(0.2f, 0.55f)), static_cast<std::size_t>(at * kSampleRate));
    // Sizzles: runs of tiny ticks where sap boils.
    for (double at = random.exponential(3.0); at < period; at += random.exponential(3.0)) {
        const int ticks = 15 + random.below(40);
        const double span = random.range(0.15f, 0.5f);
        for (int k = 0; k < ticks; ++k)
            layIn(fire, crack(random, random.range(0.01f, 0.04f)), static_cast<std::size_t>((at + span * random.uniform()) * kSampleRate));
    }
    // Keep clear of full scale after encoding.
    float peak = 0.0f;
    for (float x : fire) peak = std::max(peak, std::abs(x));
    if (peak > 0.75f) normalisePeak(fire, 0.75f);
    return fire;
}

} // namespace assetgen::audio
