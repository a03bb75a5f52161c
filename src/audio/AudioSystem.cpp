#include "audio/AudioSystem.h"

#include "audio/VorbisFile.h"

#include <exception>
#include <iostream>

namespace {

void report(const char* message) { std::cout << message << std::endl; }

std::unique_ptr<AudioSystem>& theAudioSystem() {
    static std::unique_ptr<AudioSystem> system;
    return system;
}

} // namespace

AudioSystem::AudioSystem() : AudioSystem(alcOpenDevice(nullptr), nullptr) {}

AudioSystem::AudioSystem(ALCdevice* device, const ALCint* contextAttributes) : device_(device) {
    if (device_ == nullptr) {
        report("Failed to open AL device");
        report("Sound is off: the demo runs silently.");
        return;
    }
    makeContext(contextAttributes);
}

void AudioSystem::makeContext(const ALCint* attributes) {
    context_ = alcCreateContext(device_, attributes);
    if (context_ == nullptr) {
        report("Failed to create AL context");
        report("Sound is off: the demo runs silently.");
        alcCloseDevice(device_);
        device_ = nullptr;
        return;
    }
    alcMakeContextCurrent(context_);
}

AudioSystem::~AudioSystem() {
    if (context_ == nullptr)
        return;
    // Source names belong to the context: delete them in our own, even if a
    // test has made another one current since.
    ALCcontext* const previous = alcGetCurrentContext();
    alcMakeContextCurrent(context_);
    for (auto& source : sources_) {
        alDeleteSources(1, source.get());
        source.reset();
    }
    // A buffer can only go once no source uses it.
    for (auto& buffer : buffers_)
        buffer.reset();
    sources_.clear();
    buffers_.clear();
    alcMakeContextCurrent(previous == context_ ? nullptr : previous);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

rtr::Audio::Buffer* AudioSystem::loadBuffer(const std::string& path, SoundPlacement placement) {
    if (silent())
        return nullptr;
    try {
        auto file = std::make_unique<rtr::VorbisFile>(path, placement == SoundPlacement::World);
        if (file->mixedDown && saidMixedDown_.insert(path).second)
            std::cout << "Stereo sound made mono to place it in the world '" << path << "'" << std::endl;
        buffers_.push_back(std::move(file));
        return buffers_.back().get();
    } catch (const std::exception& error) {
        std::cout << error.what() << " '" << path << "'" << std::endl;
        return nullptr;
    }
}

ALuint* AudioSystem::createSource(const std::string& path, SoundPlacement placement) {
    const rtr::Audio::Buffer* buffer = loadBuffer(path, placement);
    if (buffer == nullptr)
        return nullptr;
    auto source = std::make_unique<ALuint>(0);
    alGenSources(1, source.get());
    alSourcei(*source, AL_BUFFER, static_cast<ALint>(buffer->name));
    sources_.push_back(std::move(source));
    return sources_.back().get();
}

void AudioSystem::placeListener(const glm::vec3& position, const glm::vec3& direction, const glm::vec3& up) {
    if (silent())
        return;
    const ALfloat orientation[6] = {direction.x, direction.y, direction.z, up.x, up.y, up.z};
    alListenerfv(AL_POSITION, &position.x);
    alListenerfv(AL_ORIENTATION, orientation);
}

void AudioSystem::stopAllSources() {
    for (const auto& source : sources_)
        alSourceStop(*source);
}

AudioSystem& audio() {
    auto& system = theAudioSystem();
    if (!system)
        system = std::make_unique<AudioSystem>();
    return *system;
}

void replaceAudioSystem(std::unique_ptr<AudioSystem> system) {
    auto& current = theAudioSystem();
    current.reset();
    current = std::move(system);
}
