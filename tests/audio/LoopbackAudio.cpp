#include "LoopbackAudio.h"

#include "audio/AudioSystem.h"

#include <cmath>
#include <memory>

namespace audio_testing {

LoopbackAudio::LoopbackAudio() {
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (open == nullptr || render == nullptr)
        return;
    ALCdevice* device = open(nullptr);
    if (device == nullptr)
        return;
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY, kRate, 0};
    replaceAudioSystem(std::make_unique<AudioSystem>(device, attributes));
    if (audio().silent())
        return;
    device_ = device;
    renderSamples_ = render;
}

std::vector<float> LoopbackAudio::render(int frames) {
    std::vector<float> mix(static_cast<std::size_t>(frames) * 2);
    renderSamples_(device_, mix.data(), frames);
    return mix;
}

Loudness LoopbackAudio::measureFromStart(ALuint source, int frames) {
    alSourcei(source, AL_SAMPLE_OFFSET, 0);
    return loudness(render(frames));
}

Loudness LoopbackAudio::loudness(const std::vector<float>& mix) {
    double left = 0.0, right = 0.0;
    for (std::size_t i = 0; i + 1 < mix.size(); i += 2) {
        left += double(mix[i]) * mix[i];
        right += double(mix[i + 1]) * mix[i + 1];
    }
    const double frames = std::max<double>(1.0, double(mix.size() / 2));
    return {std::sqrt(left / frames), std::sqrt(right / frames)};
}

} // namespace audio_testing
