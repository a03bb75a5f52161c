#pragma once
// The program's one OpenAL device and context, with every sound buffer and
// source made on them. A machine without a sound device is ordinary (servers,
// CI), so the system then says once that the demo is silent and every later
// call does nothing; a sound file that cannot be loaded is reported with its
// path and the demo goes on without that sound.

#include "audio/AudioBuffer.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <glm/vec3.hpp>

#include <memory>
#include <set>
#include <string>
#include <vector>

// Where a source plays. OpenAL places only mono buffers in the world: a
// stereo one goes straight to both ears at full loudness wherever its
// source is. So a sound loaded for a source placed in the world is mixed
// down to mono.
enum class SoundPlacement { Listener, World };

class AudioSystem {
public:
    // Opens the default output device and makes a context on it current.
    AudioSystem();
    // Takes over `device`, already open (OpenAL Soft's loopback device in
    // tests), and makes a context on it with `contextAttributes`.
    AudioSystem(ALCdevice* device, const ALCint* contextAttributes);
    // Deletes the sources, then the buffers, in the order they were made;
    // then the context and the device.
    ~AudioSystem();
    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Loads the whole file into a new buffer and makes a stopped source on it
    // with OpenAL's default attributes; each call loads the file again into
    // a buffer of its own. Returns nullptr when the system is silent (the
    // reason was printed once, when it was made) or, after printing the
    // reason and the path, when the file could not be loaded. For a source
    // placed in the world a stereo file is made mono, which is said once
    // per file.
    ALuint* createSource(const std::string& path, SoundPlacement placement = SoundPlacement::Listener);
    // The buffer of a whole sound file, or nullptr as for createSource.
    rtr::Audio::Buffer* loadBuffer(const std::string& path, SoundPlacement placement = SoundPlacement::Listener);

    // The listener at a camera: its position and its orientation (view
    // direction, then up). Sources made relative to the listener do not
    // move with it.
    void placeListener(const glm::vec3& position, const glm::vec3& direction, const glm::vec3& up);
    // alSourceStop on every source, in the order they were made. Nothing
    // restarts them; their buffers stay loaded.
    void stopAllSources();

    // True when there is no device or no context: nothing reaches OpenAL.
    bool silent() const { return context_ == nullptr; }
    const std::vector<std::unique_ptr<ALuint>>& sources() const { return sources_; }
    const std::vector<std::unique_ptr<rtr::Audio::Buffer>>& buffers() const { return buffers_; }

private:
    void makeContext(const ALCint* attributes);

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    std::vector<std::unique_ptr<rtr::Audio::Buffer>> buffers_;
    std::vector<std::unique_ptr<ALuint>> sources_;
    std::set<std::string> saidMixedDown_;
};

// The program's one audio system: made on first use, closed at process exit.
AudioSystem& audio();

// For tests: `system` becomes the one audio system; an earlier one is closed.
void replaceAudioSystem(std::unique_ptr<AudioSystem> system);
