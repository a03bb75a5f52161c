#pragma once
// The program's sound mixed on OpenAL Soft's loopback device
// (ALC_SOFT_loopback): no sound card and no real-time clock, the recorder
// asks for exactly the samples of each frame, so sound and picture advance
// together however slowly the frames render.

#include <AL/alc.h>
#include <AL/alext.h>

#include <string>
#include <vector>

namespace recorder {

class LoopbackSound {
public:
    // 48 kHz is the usual rate of a video's sound.
    static constexpr int kSampleRate = 48000;
    static constexpr int kChannels = 2;

    // Opens the loopback device (stereo, 32-bit float) and installs the
    // program's audio system on it; call before the scene is assembled, so
    // the music and the crackling start on it. On failure, error() says why.
    LoopbackSound();
    bool ok() const { return render_ != nullptr; }
    const std::string& error() const { return error_; }

    // The next `frames` sample frames of the mix, interleaved left, right.
    const std::vector<float>& mix(int frames);

private:
    ALCdevice* device_ = nullptr;
    LPALCRENDERSAMPLESSOFT render_ = nullptr;
    std::vector<float> samples_;
    std::string error_;
};

} // namespace recorder
