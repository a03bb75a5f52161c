#pragma once
// The program's audio system on OpenAL Soft's loopback device: nothing is
// played, and the test mixes exactly as many samples as it asks for, so what
// the listener hears can be measured without a sound card or a clock.

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <vector>

namespace audio_testing {

struct Loudness {
    double left = 0.0, right = 0.0; // root mean square per channel
};

class LoopbackAudio {
public:
    static constexpr int kRate = 44100;

    // Installs the audio system on a loopback device (stereo, float, 44.1
    // kHz) as the program's one audio system.
    LoopbackAudio();
    bool ok() const { return device_ != nullptr; }

    // The next `frames` frames of the mix, interleaved left, right.
    std::vector<float> render(int frames);
    // Restarts `source` from its first sample, then measures `frames` frames.
    Loudness measureFromStart(ALuint source, int frames);

    static Loudness loudness(const std::vector<float>& mix);

private:
    ALCdevice* device_ = nullptr;
    LPALCRENDERSAMPLESSOFT renderSamples_ = nullptr;
};

} // namespace audio_testing
