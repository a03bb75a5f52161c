// Calm night music: slow chords on a soft, detuned pad over a sine bass, a
// sparse bell-like melody on the D minor pentatonic, and a long gentle
// reverb. Twelve chords of eight seconds make a 96 s loop; notes that ring
// past the end are laid in at the start, and the reverb runs over the loop
// twice, so the music flows from its end into its start.

#include <algorithm>
#include <array>
#include <cmath>

#include "Random.h"
#include "Sounds.h"

namespace assetgen::audio {

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr float kChordSeconds = 8.0f;

float midiFrequency(int note) { return 440.0f * std::pow(2.0f, (note - 69) / 12.0f); }

// One cycle of a soft saw: twelve harmonics falling off faster than a saw's.
class Wavetable {
public:
    Wavetable() {
        for (std::size_t i = 0; i < table.size(); ++i) {
            const float phase = kTwoPi * static_cast<float>(i) / table.size();
            float sum = 0.0f;
            for (int h = 1; h <= 12; ++h) sum += std::sin(phase * h) / std::pow(static_cast<float>(h), 1.4f);
            table[i] = sum * 0.55f;
        }
    }
    float at(double cycles) const {
        const double wrapped = cycles - std::floor(cycles);
        const double position = wrapped * table.size();
        const std::size_t i = static_cast<std::size_t>(position);
        const float f = static_cast<float>(position - i);
        return table[i] * (1.0f - f) + table[(i + 1) % table.size()] * f;
    }

private:
    std::array<float, 4096> table{};
};

struct StereoLoop {
    Signal samples;
    std::size_t frames;
    void add(std::size_t frame, float left, float right) {
        const std::size_t at = (frame % frames) * 2;
        samples[at] += left;
        samples[at + 1] += right;
    }
};

// A pad chord: three detuned voices per note, slow attack and release,
// through a lowpass that opens a little as the chord swells.
void padChord(StereoLoop& loop, const Wavetable& wave, const std::vector<int>& notes, double start, Random& random) {
    const double attack = 2.6, hold = kChordSeconds - 1.0, release = 3.5;
    const std::size_t first = static_cast<std::size_t>(start * kSampleRate);
    const std::size_t length = static_cast<std::size_t>((attack + hold + release) * kSampleRate);
    Biquad left = Biquad::lowpass(1100.0f, 0.6f), right = Biquad::lowpass(1100.0f, 0.6f);
    struct Voice {
        float frequency, pan, phase;
    };
    std::vector<Voice> voices;
    for (int note : notes)
        for (float cents : {-7.0f, 0.0f, 6.0f})
            voices.push_back({midiFrequency(note) * std::pow(2.0f, cents / 1200.0f), 0.5f + cents / 16.0f + random.range(-0.1f, 0.1f),
                              static_cast<float>(random.uniform())});
    const float gain = 0.05f / std::sqrt(static_cast<float>(notes.size()));
    for (std::size_t i = 0; i < length; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        float envelope;
        if (t < attack) envelope = static_cast<float>(0.5 - 0.5 * std::cos(3.14159265 * t / attack));
        else if (t < attack + hold) envelope = 1.0f;
        else envelope = static_cast<float>(std::exp(-(t - attack - hold) / (release / 4.0)));
        float l = 0.0f, r = 0.0f;
        for (const Voice& v : voices) {
            const float s = wave.at(v.phase + v.frequency * t);
            l += s * (1.0f - v.pan);
            r += s * v.pan;
        }
        loop.add(first + i, left.process(l) * envelope * gain, right.process(r) * envelope * gain);
    }
}

// A bass note: a sine with a touch of its octave, swelling in and out.
void bassNote(StereoLoop& loop, int note, double start) {
    const double length = kChordSeconds + 2.0;
    const float frequency = midiFrequency(note);
    const std::size_t first = static_cast<std::size_t>(start * kSampleRate);
    for (std::size_t i = 0; i < static_cast<std::size_t>(length * kSampleRate); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const float envelope = static_cast<float>(std::pow(std::sin(3.14159265 * t / length), 2.0));
        const float s = std::sin(kTwoPi * frequency * static_cast<float>(t)) + 0.15f * std::sin(2.0f * kTwoPi * frequency * static_cast<float>(t));
        loop.add(first + i, 0.05f * s * envelope, 0.05f * s * envelope);
    }
}

// A soft bell: a sine with inharmonic partials that die away faster.
void bell(StereoLoop& loop, int note, double start, float velocity, float pan) {
    const float frequency = midiFrequency(note);
    const double length = 4.5;
    const std::size_t first = static_cast<std::size_t>(start * kSampleRate);
    const float partials[][3] = {{1.0f, 1.0f, 1.6f}, {2.0f, 0.35f, 0.7f}, {2.76f, 0.12f, 0.35f}, {5.4f, 0.05f, 0.15f}};
    for (std::size_t i = 0; i < static_cast<std::size_t>(length * kSampleRate); ++i) {
        const float t = static_cast<float>(i) / kSampleRate;
        const float attack = std::min(1.0f, t / 0.012f);
        float s = 0.0f;
        for (const auto& p : partials) s += p[1] * std::sin(kTwoPi * frequency * p[0] * t) * std::exp(-t / p[2]);
        s *= attack * velocity;
        loop.add(first + i, s * (1.0f - pan), s * pan);
    }
}

} // namespace

Signal nightMusic(std::uint32_t seed) {
    Random random(seed);
    // D minor: Dm9, Bbmaj7, Fmaj7, Cadd9 / Dm9, Gm7, Bbmaj7, Asus4 /
    // Dm9, Bbmaj9, Gm9, Asus4 (which leads back to the first chord).
    const std::vector<std::vector<int>> chords = {
        {50, 57, 64, 65}, {46, 53, 57, 62}, {53, 57, 60, 64}, {48, 55, 62, 64},
        {50, 57, 64, 65}, {43, 50, 53, 58}, {46, 53, 57, 62}, {45, 52, 57, 62},
        {50, 57, 64, 65}, {46, 53, 60, 62}, {43, 50, 57, 58}, {45, 52, 55, 62}};
    const int roots[] = {38, 34, 41, 36, 38, 31, 34, 33, 38, 34, 31, 33};
    const std::size_t frames = static_cast<std::size_t>(chords.size() * kChordSeconds * kSampleRate);
    StereoLoop loop{Signal(frames * 2, 0.0f), frames};
    const Wavetable wave;
    const double loopSeconds = chords.size() * kChordSeconds;
    // Each chord swells in a little before its bar; the first one's swell
    // lies at the end of the loop.
    auto early = [&](std::size_t k, double lead) { return std::fmod(k * kChordSeconds - lead + loopSeconds, loopSeconds); };
    for (std::size_t k = 0; k < chords.size(); ++k) {
        padChord(loop, wave, chords[k], early(k, 0.6), random);
        bassNote(loop, roots[k], early(k, 1.0));
    }

    // The melody: short phrases on the pentatonic with long rests, in the
    // chord's register, one phrase every other chord.
    const int scale[] = {62, 65, 67, 69, 72, 74, 77};
    for (std::size_t k = 0; k < chords.size(); ++k) {
        if (k % 4 == 3 || random.chance(0.25)) continue;
        double at = k * kChordSeconds + random.range(0.5f, 3.0f);
        int degree = 2 + random.below(3);
        const int notes = 3 + random.below(3);
        for (int n = 0; n < notes; ++n) {
            bell(loop, scale[degree], at, random.range(0.10f, 0.16f), random.range(0.3f, 0.7f));
            at += 0.75 * (1 + random.below(3));
            degree = std::clamp(degree + random.below(5) - 2, 0, 6);
        }
    }

    Reverb(0.86f, 0.35f).processLoop(loop.samples, 0.55f);
    // Quiet enough to sit under the crackling of the fire.
    const float level = rms(loop.samples);
    for (float& x : loop.samples) x *= 0.032f / level;
    return loop.samples;
}

} // namespace assetgen::audio
