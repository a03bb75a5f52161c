#pragma once
// An Ogg Vorbis file decoded whole, at construction, into one OpenAL buffer
// of 16-bit PCM: mono files as AL_FORMAT_MONO16, any other channel count as
// AL_FORMAT_STEREO16, at the file's own sample rate. Sounds are short loops,
// so decoding once at start-up is cheaper than streaming while the frames run.
// Decoding needs no OpenAL, so a file can be decoded on a worker thread while
// start-up goes on, and taken over by the buffer made from it later.

#include "audio/AudioBuffer.h"

#include <cstddef>
#include <memory>
#include <string>

namespace rtr {

// A whole file's 16-bit PCM and its layout.
struct VorbisPcm {
    int channels = 0;
    long rate = 0;
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
};

// Decodes the whole file without touching OpenAL, so on any thread. Throws
// what the VorbisFile constructor throws.
VorbisPcm decodeVorbisFile(const std::string& path);

// Starts decoding `path` on a worker thread (once per path until it is
// taken); the next VorbisFile made from that path waits for it and takes
// its result, a failure included, instead of decoding the file itself.
// Without a thread to spare the file is simply decoded when it is needed.
void startDecoding(const std::string& path);

class VorbisFile : public Audio::Buffer {
public:
    // Throws std::runtime_error with "Failed to open file for reading",
    // "Failed to read Vorbis file" or "Sound too long for one AL buffer"; the
    // buffer name is deleted again and the file closed.
    explicit VorbisFile(const std::string& path);
};

} // namespace rtr
