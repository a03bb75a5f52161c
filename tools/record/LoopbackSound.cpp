#include "LoopbackSound.h"

#include "audio/AudioSystem.h"

#include <memory>

namespace recorder {

LoopbackSound::LoopbackSound() {
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") == ALC_FALSE) {
        error_ = "this OpenAL has no loopback device (ALC_SOFT_loopback): install OpenAL Soft";
        return;
    }
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    auto supported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    ALCdevice* device = open != nullptr ? open(nullptr) : nullptr;
    if (device == nullptr || render == nullptr || supported == nullptr) {
        error_ = "OpenAL's loopback device does not open";
        return;
    }
    if (supported(device, kSampleRate, ALC_STEREO_SOFT, ALC_FLOAT_SOFT) == ALC_FALSE) {
        alcCloseDevice(device);
        error_ = "OpenAL's loopback device cannot mix 48 kHz stereo float samples";
        return;
    }
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY, kSampleRate, 0};
    replaceAudioSystem(std::make_unique<AudioSystem>(device, attributes));
    if (audio().silent()) {
        error_ = "no OpenAL context on the loopback device";
        return;
    }
    device_ = device;
    render_ = render;
}

const std::vector<float>& LoopbackSound::mix(int frames) {
    samples_.resize(static_cast<std::size_t>(frames) * kChannels);
    if (frames > 0)
        render_(device_, samples_.data(), frames);
    return samples_;
}

} // namespace recorder
